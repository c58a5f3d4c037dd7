// Everything about a replay session that two ways of feeding it the same
// bytes could disagree on (every row-table line, marks and tab stops,
// cursor and modes, bytes sent and printed), one labelled line each. Shared
// by the equivalence test and the emulator fuzzer.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "tools/replay/ReplaySession.h"
#include "view/CWinTermView.h"

namespace testsupport {

inline std::vector<std::string> DescribeSessionState(const ReplaySession& session) {
    CWinTermView& view = session.View();
    std::vector<std::string> lines;
    char word[12];
    for (int i = 0; i < CWinTermView::kTableLines; ++i) {
        std::string line = "line " + std::to_string(i) + ":";
        const unsigned* cells = view.TableLine(i);
        for (int col = 0; col < screen::kColumns; ++col) {
            std::snprintf(word, sizeof word, " %08x", cells[col]);
            line += word;
        }
        lines.push_back(line);
    }
    for (int row = 0; row < screen::kStoredRows; ++row) {
        std::string line = "marks " + std::to_string(row) + ": ";
        for (int col = 0; col < screen::kFlagColumns; ++col) line += view.IsMarkedAt(row, col) ? '1' : '0';
        lines.push_back(line);
    }
    lines.push_back("cursor " + session.Cursor() + " wrap " + std::to_string(view.WrapPending()) + " insert " +
                    std::to_string(view.InsertMode()) + " scroll " + std::to_string(view.ScrollPosition()) +
                    " mode " + std::to_string(view.ScrollMode()) + " override " +
                    std::to_string(view.GetAttrOverride()) + " write " + std::to_string(view.GetWriteAttr()));
    lines.push_back("sent " + session.Sent());
    lines.push_back("printed " + session.Printed());
    return lines;
}

// The first line on which the two sessions differ, both versions; empty when
// they agree.
inline std::string FirstStateDifference(const ReplaySession& a, const ReplaySession& b) {
    const std::vector<std::string> first = DescribeSessionState(a);
    const std::vector<std::string> second = DescribeSessionState(b);
    for (size_t i = 0; i < first.size() && i < second.size(); ++i)
        if (first[i] != second[i]) return "first:  " + first[i] + "\nsecond: " + second[i];
    return first.size() == second.size() ? std::string() : "different lengths";
}

}  // namespace testsupport
