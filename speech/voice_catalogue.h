#pragma once
// The voice catalogue: which installed voices are listed, which of them are
// Chinese, and which are chosen by default. Names are GBK display names.
#include <cstdint>

#include "speech/voice.h"
#include "text/aarray.h"
#include "text/astring.h"

// The display name of a token: mode 0 reads value "409", mode 1 value "804",
// mode -1 "409" and, when that fails, "804". Missing: empty.
AString TokenName(const VoiceDataKey& token, int mode);

// The value "Name" of the subkey "Attributes" (empty when missing), and in
// *chineseFlag whether the first hexadecimal number of its value "Language"
// is 0x804 (1) or not (0); -1 when the subkey or the value is missing.
AString TokenAttributes(const VoiceDataKey& token, int* chineseFlag);

// Lists the voices that pass a trial phrase on mainVoice (none without it):
// display names in enumeration order into the two lists; Chinese when the
// "Language" attribute says so for a voice without display names, or when a
// name holds one of the Chinese markers. With token outputs, the voices named
// westernName and chineseName are chosen, else the first voice of the
// language stands in and its name replaces the wanted one. Both names empty:
// first the best male voice and the best Chinese voice give the names.
// streamNumber receives the stream numbers of the trial phrases.
// Returns 0 when no voice was listed (or a default search failed), 1 when
// voices were listed and every requested output found by name, 2 when a
// first voice stood in.
int VoiceCatalogue(VoiceSystem& system, Voice* mainVoice, std::uint32_t* streamNumber, AStringArray& westernNames,
                   AStringArray& chineseNames, AString& westernName, AString& chineseName, VoiceTokenPtr* westernOut,
                   VoiceTokenPtr* chineseOut);

// The last voice of the category whose "409" or "804" name (or, without
// both, its "Attributes" name) equals name; no trial, nothing excluded.
VoiceTokenPtr FindVoiceByName(VoiceSystem& system, const AString& name);
