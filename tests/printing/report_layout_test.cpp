#include <gtest/gtest.h>

#include <limits>

#include "common/gbk_text.h"
#include "printing/report_page.h"

namespace {

TEST(ReportLayout, GroupsCountDownFromTheNewestRecord) {
    // 100 records: 100..71, 70..41, 40..11; records 1 to 10 are not printed.
    EXPECT_EQ(ReportRecordNumber(100, 0, 0), 100);
    EXPECT_EQ(ReportRecordNumber(100, 0, 29), 71);
    EXPECT_EQ(ReportRecordNumber(100, 1, 0), 70);
    EXPECT_EQ(ReportRecordNumber(100, 1, 29), 41);
    EXPECT_EQ(ReportRecordNumber(100, 2, 0), 40);
    EXPECT_EQ(ReportRecordNumber(100, 2, 29), 11);
    // 5 records fill rows 0 to 4 of the first group only.
    EXPECT_EQ(ReportRecordNumber(5, 0, 0), 5);
    EXPECT_EQ(ReportRecordNumber(5, 0, 4), 1);
    EXPECT_LE(ReportRecordNumber(5, 0, 5), 0);
    EXPECT_LE(ReportRecordNumber(5, 1, 0), 0);
    EXPECT_LE(ReportRecordNumber(0, 0, 0), 0);
}

TEST(ReportLayout, InformationLineAndTimeLabels) {
    const std::string start = "2024-03-05-14:07:09";
    EXPECT_EQ(ReportInfoLine(start).toStdString(),
              "测试时间：2024-03-05-14:07:09              测试员签名：");
    EXPECT_EQ(ReportInfoLine(Utf8ToGbk("时刻")).toStdString(),
              "测试时间：时刻              测试员签名：");
    EXPECT_EQ(ReportSpanLabel(30), "-15000(mS)");
    EXPECT_EQ(ReportZeroLabel(), "0  ");
}

TEST(ReportLayout, ChartMappingsTruncateTowardZero) {
    EXPECT_EQ(ReportColumn(1), 4400);
    EXPECT_EQ(ReportColumn(3), 4377);  // 4377.8
    EXPECT_EQ(ReportColumn(2), 4385);
    EXPECT_EQ(ReportColumn(500), 700);
    EXPECT_EQ(ReportRow(13, -50, 100), 5247);  // 5247.5
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(ReportRow(nan, -50, 100), std::nullopt);
    EXPECT_EQ(ReportRow(0, 0, 0), std::nullopt);
    EXPECT_TRUE(ReportRow(1, 0, 0).has_value());
}

}  // namespace
