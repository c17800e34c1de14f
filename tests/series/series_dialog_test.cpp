// The dialog "新建系列": a new series is written and made active; a name that has tests
// already continues its numbering once the operator agrees; a name no file can take is refused.
#include "series/series_dialog.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

#include "common/atomic_file.h"
#include "common/message_box.h"
#include "records/archive_ini.h"
#include "series/series_session.h"

class SeriesDialogTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        QVERIFY(m_dir.isValid());
        m_folder = m_dir.path().toStdString() + "/";
        m_boxes.clear();
        m_questions.clear();
        SetMessageBoxHandler([this](const QString& text, const QString&) { m_boxes << text; });
        SetQuestionHandler([this](const QString& text, const QString&) {
            m_questions << text;
            return m_answer;
        });
    }
    void cleanup() {
        SetMessageBoxHandler({});
        SetQuestionHandler({});
    }

    void newSeriesIsWrittenAndActive() {
        SeriesSession session;
        CSeriesDlg dialog(session, m_folder, "Tolvane", nullptr);
        QCOMPARE(Edit(dialog, "operator")->text(), QStringLiteral("Tolvane"));
        Edit(dialog, "name")->setText(QStringLiteral(" 钢丝 B "));
        Edit(dialog, "material")->setText(QStringLiteral("Q235"));
        dialog.findChild<QSpinBox*>(QStringLiteral("planned"))->setValue(6);
        Ok(dialog);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(session.active);
        QCOMPARE(session.info.name, std::string("钢丝 B"));
        QCOMPARE(session.nextNumber, 1);
        SeriesInfo stored;
        QVERIFY(ReadSeriesFile(SeriesFilePath(m_folder, "钢丝 B"), &stored, nullptr));
        QCOMPARE(stored.material, std::string("Q235"));
        QCOMPARE(stored.planned, 6);
        QVERIFY(!stored.created.empty());
        QVERIFY(m_questions.isEmpty());
    }

    void existingSeriesContinuesAfterTheOperatorAgrees() {
        std::string error;
        for (int number : {1, 2, 4}) {
            const std::string base = m_folder + "t" + std::to_string(number);
            QVERIFY(WriteFileAtomically(
                base + ".ini", TestFileText("t", "o", SpecimenDims{}, {"B", number, ""}), &error));
        }
        SeriesSession session;
        m_answer = false;
        {
            CSeriesDlg dialog(session, m_folder, "", nullptr);
            Edit(dialog, "name")->setText(QStringLiteral("B"));
            Ok(dialog);
            QCOMPARE(m_questions.size(), 1);
            QVERIFY(m_questions[0].contains(QStringLiteral("已有 3 个试样")));
            QVERIFY(!session.active);
        }
        m_answer = true;
        CSeriesDlg dialog(session, m_folder, "", nullptr);
        Edit(dialog, "name")->setText(QStringLiteral("B"));
        Ok(dialog);
        QVERIFY(session.active);
        QCOMPARE(session.nextNumber, 5);
    }

    void nameThatCannotBeAFileIsRefused() {
        SeriesSession session;
        CSeriesDlg dialog(session, m_folder, "", nullptr);
        Edit(dialog, "name")->setText(QStringLiteral("a/b"));
        Ok(dialog);
        QCOMPARE(m_boxes.size(), 1);
        QVERIFY(!session.active);
        QVERIFY(dialog.isVisible() || dialog.result() != QDialog::Accepted);
    }

  private:
    static QLineEdit* Edit(QDialog& dialog, const char* name) {
        return dialog.findChild<QLineEdit*>(QString::fromUtf8(name));
    }
    static void Ok(QDialog& dialog) {
        dialog.findChild<QPushButton*>(QStringLiteral("1"))->click();
    }

    QTemporaryDir m_dir;
    std::string m_folder;
    QStringList m_boxes, m_questions;
    bool m_answer = true;
};

QTEST_MAIN(SeriesDialogTest)
#include "series_dialog_test.moc"
