#include "shell/archive_picker.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QSortFilterProxyModel>

#include "records/archive.h"
#include "settings/data_folder.h"

namespace {

// The open picker lists folders and the files that can be archives: "*.dat" of an
// archive's size (not the settings file, whose name matches too).
class ArchivesOnly : public QSortFilterProxyModel {
  public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

  protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (files == nullptr) return true;
        const QFileInfo info = files->fileInfo(files->index(row, 0, parent));
        return info.isDir() || (info.suffix() == QLatin1String("dat") &&
                                info.size() == static_cast<qint64>(kArchiveBytes));
    }
};

}  // namespace

QString PickArchive(QWidget* parent) {
    QFileDialog picker(parent);
    // Qt's own picker, whose list can be narrowed to the files that are archives.
    picker.setOption(QFileDialog::DontUseNativeDialog);
    picker.setProxyModel(new ArchivesOnly(&picker));
    picker.setAcceptMode(QFileDialog::AcceptOpen);
    picker.setFileMode(QFileDialog::ExistingFile);
    picker.setNameFilter(QCoreApplication::translate("ArchivePicker", "测试存档 (*.dat)"));
    picker.setDirectory(QString::fromStdString(DataFolderPath()));
    picker.selectFile(QStringLiteral("*.dat"));
    if (picker.exec() != QDialog::Accepted || picker.selectedFiles().isEmpty()) return {};
    return picker.selectedFiles().constFirst();
}
