#pragma once
// What the speech benchmarks share: the clock, the mixed text they speak and a
// notification target that takes every message and answers none.
#include <chrono>
#include <cstddef>
#include <string>

#include "speech/notify_target.h"

namespace speech_bench {

using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// Mixed text: Chinese with polyphones, punctuation, digits and Latin runs.
inline std::u16string MakeText(std::size_t units) {
    static const std::u16string sample =
        u"我们在银行工作了三年，他说,这个问题很重要。Windows系统里有USB接口和AB线。3个苹果 and some English words here. "
        u"长城很长，音乐让人快乐。";
    std::u16string text;
    while (text.size() < units) text += sample;
    text.resize(units);
    return text;
}

class NullTarget : public NotifyTarget {
public:
    bool Post(WindowId window, std::uint32_t, std::uintptr_t, std::intptr_t) override { return window != 0; }
    std::intptr_t Send(WindowId, std::uint32_t, std::uintptr_t, std::intptr_t) override { return 0; }
    bool WindowExists(WindowId window) override { return window != 0; }
};

}  // namespace speech_bench
