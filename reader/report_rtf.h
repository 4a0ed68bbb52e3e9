#pragma once
// The content of a plain report pane as one RTF document: the same text,
// the same format per unit, paragraph ends where the pane has line feeds.
#include <string>
#include <vector>

#include "lexicon/plain_report_pane.h"

// `defaultFace` (GBK) stands for a format's empty face. A face that is not
// ASCII goes into the font table as "Arial" (readers take font names in the
// system code page) and its runs into `faceFixes`, to be set afterwards.
struct RtfFaceFix {
    int start;
    int end;
    std::string face;  // GBK
};
std::string ReportRtf(const PlainReportPane& content, const std::string& defaultFace,
                      std::vector<RtfFaceFix>& faceFixes);
