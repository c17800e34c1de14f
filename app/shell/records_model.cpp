#include "shell/records_model.h"

#include <algorithm>
#include <cmath>

#include "common/number_text.h"
#include "run/run_state.h"
#include "shell/window_style.h"

CRecordsModel::CRecordsModel(const TestRun& run, QObject* parent)
    : QAbstractTableModel(parent), m_run(run) {}

int CRecordsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kListRows;
}

int CRecordsModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return m_extensometerShown ? kListColumns + 1 : kListColumns;
}

QString CRecordsModel::CellText(int row, int column) const {
    const int count = std::min(m_run.g_nRecordCount, kRecordSlots - 1);
    if (row < 0 || row >= count || column < 0 || column >= columnCount()) return QString();
    const int record = count - row;
    switch (column) {
        case 0:
            return QString::number(record);
        case 1:
            return DisplayText(m_run.g_strRecord0[record]);
        case 2:
            return DisplayText(m_run.g_strRecord1[record]);
        default: {
            // Empty where it read nothing (taken off).
            const double mm = m_run.g_dRecordExt[record];
            return std::isfinite(mm) ? QString::fromStdString(FixedNumber(mm, 4)) : QString();
        }
    }
}

QVariant CRecordsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return QVariant();
    if (role == Qt::DisplayRole) return CellText(index.row(), index.column());
    if (role == Qt::TextAlignmentRole) return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    return QVariant();
}

QVariant CRecordsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) {
        return QVariant();
    }
    if (role == Qt::DisplayRole)
        return section == kExtensometerColumn ? tr("引伸计 (mm)") : m_headers[section];
    if (role == Qt::TextAlignmentRole) return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    return QVariant();
}

void CRecordsModel::SetHeader(int column, const QString& caption) {
    if (column < 0 || column >= kListColumns) return;
    m_headers[column] = caption;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

void CRecordsModel::Refresh() {
    const bool carried = m_run.g_bExtRecorded != 0;
    if (carried && !m_extensometerShown) {
        beginInsertColumns(QModelIndex(), kExtensometerColumn, kExtensometerColumn);
        m_extensometerShown = true;
        endInsertColumns();
    } else if (!carried && m_extensometerShown) {
        beginRemoveColumns(QModelIndex(), kExtensometerColumn, kExtensometerColumn);
        m_extensometerShown = false;
        endRemoveColumns();
    }
    const int count = std::clamp(m_run.g_nRecordCount, 0, kListRows);
    const int changed = std::max(count, m_shownCount);
    m_shownCount = count;
    // One signal for the whole changed range: the view repaints only the rows it shows.
    if (changed > 0) emit dataChanged(index(0, 0), index(changed - 1, columnCount() - 1));
}
