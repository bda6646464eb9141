#pragma once
// A conversion context on a restored data database, for the tests of the conversion steps: it works in one
// transaction (not started), reports to a recording user interface and shows its memo and status in lines
// in memory. The basic information and the special-account codes start empty, as in a fresh process.

#include "common/ChartKind.h"
#include "convert/uQZ_ZaimuIO.h"
#include "db/AccInfo.h"
#include "tests/support/RecordingUi.h"
#include "tests/support/TemplateDatabase.h"

#include <gtest/gtest.h>

#include <memory>

namespace qz::test {

class TConversionFixture : public ::testing::Test {
protected:
    // On a template of the chart restored for this test alone.
    explicit TConversionFixture(int year, int chartKind = kChartCorporation)
        : restored_(std::make_unique<TRestoredTemplate>(chartKind)), transaction(restored_->Attachment())
    {
        Wire(year);
    }
    // On a database the suite shares; the transaction rolls back what a test leaves in it.
    TConversionFixture(int year, fb::TAttachment& shared) : transaction(shared) { Wire(year); }

    TRecordingUi ui;
    TRecordingLines lines;

private:
    std::unique_ptr<TRestoredTemplate> restored_;   // before the transaction that works in it

protected:
    fb::TTransaction transaction;
    TQZaimuIO context;

private:
    void Wire(int year)
    {
        AccInfo() = TACCINF{};
        SpecialAccountCodes().ClearAll();
        context.SetTransaction(transaction);
        context.LogMemo = &lines;
        context.StatusPanel = &lines;
        context.Writer.StatusControl = &lines;
        context.Writer.AllNineCode = "999";
        context.SentakuNendoCode = year;
        context.HoujinKojin = 1;
    }
};

}  // namespace qz::test
