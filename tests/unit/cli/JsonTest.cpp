// The JSON a batch reads back from its workers: whatever the summaries write comes back as it was, the
// escapes other writers use are understood, and a text that is not one JSON value is refused.

#include "cli/Json.h"

#include <gtest/gtest.h>

namespace qz::cli {
namespace {

TEST(JsonReader, ReadsBackWhatTheSummariesWrite)
{
    const std::string name = "㈱山田\"髙橋\"商事\\\r\n\t\x01末尾";
    TJson years = TJson::Array();
    years.Push(TJson::Object().Set("year", "当期").Set("journals", std::int64_t{-9007199254740993}));
    const TJson written = TJson::Object()
                              .Set("client", TJson::Object().Set("name", name).Set("code", "000101"))
                              .Set("years_imported", std::move(years))
                              .Set("error_log", TJson())
                              .Set("seconds", 1.25)
                              .Set("past_journals_skipped", false);
    const std::optional<TJson> read = TJson::Parse(" \r\n" + written.Dump() + "\n");
    ASSERT_TRUE(read);
    EXPECT_EQ(read->Dump(), written.Dump());
    EXPECT_EQ((*read)["client"]["name"].Text(), name);
    EXPECT_EQ((*read)["years_imported"].Items().at(0)["journals"].Int(), -9007199254740993);
    EXPECT_TRUE((*read)["error_log"].IsNull());
    EXPECT_TRUE((*read)["reconciliation"]["result"].IsNull());   // absent members read as null
    EXPECT_FALSE((*read)["seconds"].Int());                       // not silently an integer
}

TEST(JsonReader, UnderstandsEscapesAndRefusesWhatIsNoJson)
{
    EXPECT_EQ(TJson::Parse(R"("\u00e9\u9ad9\ud83d\ude00\/\b\f")")->Text(), "é髙😀/\b\f");
    const std::initializer_list<std::string_view> broken = {
        "", "{", R"({"a":1,})", R"([1 2])", R"("\ud83d")", R"("\ude00x")", R"("\x")", "\"a\nb\"", "tru", "1 2",
        R"({"a" 1})", "[-]", "{\"a\":1}}", std::string_view("\"\0\"", 3)};
    for (const std::string_view text : broken)
        EXPECT_FALSE(TJson::Parse(text)) << text;
    EXPECT_FALSE(TJson::Parse(std::string(100, '[') + std::string(100, ']')));   // nested beyond reason
}

}  // namespace
}  // namespace qz::cli
