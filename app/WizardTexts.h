#pragma once
// The texts of the wizard's window: its captions, the page headings and the status line of a hint.

#include "platform/SystemDef.h"

#include <string>
#include <string_view>

namespace qz {

inline constexpr std::string_view kMainFormCaption = "データコンバート";
inline constexpr std::string_view kPage2Heading = "２．Quorvel財務の保存先フォルダを選択します。";
inline constexpr std::string_view kPage3Heading = "３．特定科目の確認、設定を行います。";
inline constexpr std::string_view kPage4Heading = "４．設定内容の確認";

// The heading of page 1, which names the source version the edition accepts.
std::string_view Page1Heading(const TProgramValues& program);

// The main form's caption once start-up is done: "QuorvelMendalⅢ財務データコンバート(ver %s)" with the
// edition's tool version.
std::string MainCaption(const TProgramValues& program);

// The status-line text for a control's hint: one full-width space before the hint, only the part
// after "|" when there is one, and an empty text for an empty hint.
std::string StatusTextOfHint(std::string_view hint);

}  // namespace qz
