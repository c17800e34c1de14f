#include "common/library_texts.h"

#include <QCoreApplication>

std::string TranslateWithQt(const char* context, const char* sourceUtf8) {
    return QCoreApplication::translate(context, sourceUtf8).toStdString();
}
