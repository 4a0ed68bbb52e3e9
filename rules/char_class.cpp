#include "rules/char_class.h"

int ScriptOfWideText(const char16_t* units, int count) {
    for (int i = 0; units && i < count; ++i) {
        const char16_t u = units[i];
        if ((u >= 0xF90E && u <= 0xFA2D) || (u >= 0x3401 && u <= 0x9FA5)) return 1;
        if ((u >= 0x3040 && u <= 0x30FF) || (u >= 0x31F0 && u <= 0x31FF)) return 4;
        if ((u >= 0x1100 && u <= 0x11FF) || (u >= 0x3130 && u <= 0x318F) || (u >= 0xAC00 && u <= 0xD7A3))
            return 5;
    }
    return 0;
}
