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

// What the pages refuse, in the error box or the status panel.
inline constexpr std::string_view kChooseExtractFolderText =
    "QuorvelMendalⅢの抽出データを保存したフォルダを　\r\r設定してください。";
inline constexpr std::string_view kRowInUseText = "選択したフォルダはデータが登録されています。";
inline constexpr std::string_view kHoujinKojinUnknownText = "法人個人区分の取得に失敗しました。";
inline constexpr std::string_view kSameSpecialCodeText = "特定科目は、同じコードを設定できません。";
inline constexpr std::string_view kSetSpecialCodeFormat = "[%s]のコードを設定してください。";
inline constexpr std::string_view kWrongClassFormat = "[%s]は分類が違う科目です。";
inline constexpr std::string_view kAggregatedSpecialFormat = "[%s]は集約科目です。特定科目に設定できません。";
inline constexpr std::string_view kNoRetainedEarningsText =
    "QuorvelMendalⅢ抽出科目データに[853]繰越利益剰余金が見つかりません。";
// The destination grid's name of a used folder outside the installation's own folder.
inline constexpr std::string_view kSharedFolderText = "共有のため使用できません。";

// The heading of page 1, which names the source version the edition accepts.
std::string_view Page1Heading(const TProgramValues& program);

// The main form's caption once start-up is done: "QuorvelMendalⅢ財務データコンバート(ver %s)" with the
// edition's tool version.
std::string MainCaption(const TProgramValues& program);

// The status-line text for a control's hint: one full-width space before the hint, only the part
// after "|" when there is one, and an empty text for an empty hint.
std::string StatusTextOfHint(std::string_view hint);

}  // namespace qz
