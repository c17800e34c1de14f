#include "testlog/test_log_model.h"

#include <QBrush>
#include <QColor>

void CTestLogModel::SetTests(std::vector<TestListing> tests) {
    beginResetModel();
    m_tests = std::move(tests);
    endResetModel();
}

const TestListing* CTestLogModel::TestAt(int row) const {
    return row >= 0 && row < static_cast<int>(m_tests.size()) ? &m_tests[row] : nullptr;
}

TestColumn CTestLogModel::SortColumnOf(int column) {
    switch (column) {
        case kTestName:
            return TestColumn::kTestName;
        case kSeries:
        case kSpecimen:
            return TestColumn::kSeries;
        case kOperator:
            return TestColumn::kOperator;
        case kRig:
            return TestColumn::kRig;
        default:
            return TestColumn::kSavedAt;
    }
}

int CTestLogModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_tests.size());
}

int CTestLogModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant CTestLogModel::data(const QModelIndex& index, int role) const {
    const TestListing* test = TestAt(index.row());
    if (test == nullptr) return {};
    if (role == Qt::ForegroundRole && !test->excludedReason.empty())
        return QBrush(QColor(128, 128, 128));
    if (role != Qt::DisplayRole) return {};
    const auto text = [](const std::string& utf8) { return QString::fromStdString(utf8); };
    switch (index.column()) {
        case kSavedAt:
            return text(test->savedAt);
        case kTestName:
            return text(test->testName);
        case kSeries:
            return text(test->series);
        case kSpecimen:
            return text(test->specimenId);
        case kOperator:
            return text(test->operatorName);
        case kRig:
            return text(test->rigName);
        case kValidity:
            if (test->series.empty()) return QString();
            return test->excludedReason.empty() ? tr("有效")
                                                : tr("无效：") + text(test->excludedReason);
        default:
            return {};
    }
}

QVariant CTestLogModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char* const kNames[kColumns] = {
        QT_TR_NOOP("保存时间"), QT_TR_NOOP("试验名称"), QT_TR_NOOP("系列"),  QT_TR_NOOP("试样"),
        QT_TR_NOOP("操作者"),   QT_TR_NOOP("试验机"),   QT_TR_NOOP("有效性")};
    return section >= 0 && section < kColumns ? tr(kNames[section]) : QVariant();
}
