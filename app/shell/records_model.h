// The records list's model: 10000 rows whose texts are computed from the record tables when
// the view asks, row 0 the newest record, so that a tick's refresh costs the same for any
// record count.
#pragma once

#include <QAbstractTableModel>
#include <QString>

struct TestRun;

constexpr int kListRows = 10000;
constexpr int kListColumns = 3;
// Added after them while the records carry the extensometer.
constexpr int kExtensometerColumn = kListColumns;

class CRecordsModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    // Shows the record tables of `run`, which must outlive the model.
    explicit CRecordsModel(const TestRun& run, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    void SetHeader(int column, const QString& caption);
    // The record tables changed: every row up to the larger of the previous and the present
    // record count shows something new, and the extensometer's column comes or goes with
    // the records that carry it.
    void Refresh();

    // The texts row r shows in column c (empty beyond the record count).
    QString CellText(int row, int column) const;

  private:
    const TestRun& m_run;
    QString m_headers[kListColumns];
    int m_shownCount = 0;
    bool m_extensometerShown = false;
};
