#include "shell/card_notices.h"

#include <QApplication>
#include <QCoreApplication>

#include "common/message_box.h"

// The card library's one message to the operator.
void ShowLibraryMessage(const char* text, const char* caption) {
    ShowMessageBox(QApplication::activeWindow(), QString::fromUtf8(text),
                   QString::fromUtf8(caption));
}

// The worker of the high-speed capture ends on its own thread; the box belongs to the
// window's thread, so the notice is posted there.
void PostHighSpeedFinished(HighSpeedEnd end) {
    QMetaObject::invokeMethod(
        qApp,
        [end] {
            if (end == HighSpeedEnd::kCardFailed) {
                ShowMessageBox(QApplication::activeWindow(),
                               QCoreApplication::translate(
                                   "CardNotices", "250kHz 高速采集中断：USB数据采集器无应答。"),
                               QCoreApplication::translate("CardNotices", "设备信息"));
            } else {
                ShowMessageBox(QApplication::activeWindow(),
                               QCoreApplication::translate("CardNotices", "250kHz 高速采集结束"),
                               QString());
            }
        },
        Qt::QueuedConnection);
}
