#include "shell/records_model.h"

#include <algorithm>

#include "run/run_state.h"
#include "shell/window_style.h"

CRecordsModel::CRecordsModel(const TestRun& run, QObject* parent)
    : QAbstractTableModel(parent), m_run(run) {}

int CRecordsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kListRows;
}

int CRecordsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kListColumns;
}

QString CRecordsModel::CellText(int row, int column) const {
    const int count = std::min(m_run.g_nRecordCount, kRecordSlots - 1);
    if (row < 0 || row >= count || column < 0 || column >= kListColumns) return QString();
    const int record = count - row;
    switch (column) {
        case 0:
            return QString::number(record);
        case 1:
            return DisplayText(m_run.g_strRecord0[record]);
        default:
            return DisplayText(m_run.g_strRecord1[record]);
    }
}

QVariant CRecordsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return QVariant();
    if (role == Qt::DisplayRole) return CellText(index.row(), index.column());
    if (role == Qt::TextAlignmentRole) return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    return QVariant();
}

QVariant CRecordsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kListColumns) {
        return QVariant();
    }
    if (role == Qt::DisplayRole) return m_headers[section];
    if (role == Qt::TextAlignmentRole) return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    return QVariant();
}

void CRecordsModel::SetHeader(int column, const QString& caption) {
    if (column < 0 || column >= kListColumns) return;
    m_headers[column] = caption;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

void CRecordsModel::Refresh() {
    const int count = std::clamp(m_run.g_nRecordCount, 0, kListRows);
    const int changed = std::max(count, m_shownCount);
    m_shownCount = count;
    // One signal for the whole changed range: the view repaints only the rows it shows.
    if (changed > 0) emit dataChanged(index(0, 0), index(changed - 1, kListColumns - 1));
}
