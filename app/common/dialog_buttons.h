// The OK and cancel buttons of the program's own small dialogs: named by the standard
// commands' ids ("1", "2") as in the settings dialog, captioned 确定 and 取消; cancel
// rejects the dialog, OK is the caller's to connect.
#pragma once

class QDialog;
class QDialogButtonBox;

QDialogButtonBox* OkCancelButtons(QDialog* dialog);
