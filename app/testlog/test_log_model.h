// The rows of the 试验记录 list: stored tests, one per row, as the store listed them.
#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "store/results_store.h"

class CTestLogModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum Column { kSavedAt, kTestName, kSeries, kSpecimen, kOperator, kRig, kValidity, kColumns };

    using QAbstractTableModel::QAbstractTableModel;

    void SetTests(std::vector<TestListing> tests);
    const TestListing* TestAt(int row) const;
    // The store's sort column of a list column (the specimen sorts with its series, the
    // validity by save time).
    static TestColumn SortColumnOf(int column);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    std::vector<TestListing> m_tests;
};
