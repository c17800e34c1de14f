// The open command's file picker: the data folder, listing folders and the files that can
// be archives.
#pragma once

#include <QString>

class QWidget;

// The archive the operator picked; empty when the picker was cancelled.
QString PickArchive(QWidget* parent);
