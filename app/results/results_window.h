// The results window "试验结果": the results table and the force-extension curve of one
// test. It is not modal: the main window keeps sampling and answering behind it.
#pragma once

#include <QWidget>
#include <memory>
#include <string>

#include "results/results_engine.h"

class CForceCurveCtrl;
class QLabel;
class QTableWidget;

class CResultsWnd : public QWidget {
    Q_OBJECT

  public:
    explicit CResultsWnd(QWidget* parent = nullptr);

    // Shows the results (a copy is kept) of the test run by the operator and brings the
    // window to the front.
    void ShowResults(ResultSet set, std::string operatorUtf8);
    const ResultSet& Results() const { return m_set; }
    // The print dialog, then the results page on the chosen printer.
    void OnPrint();

  private:
    // The first showing's place: over the main window, within the screen's free area.
    void PlaceOverParent();

    ResultSet m_set;
    std::string m_operator;
    QTableWidget* m_table = nullptr;
    QLabel* m_breakNote = nullptr;
    CForceCurveCtrl* m_curve = nullptr;
};
