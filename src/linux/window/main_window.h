#pragma once
// The main window: builds the layout, renders the core's window model, and forwards every widget event to the
// core's handler of the same name. No rule of the program lives here.

#include <QWidget>
#include <map>
#include <utility>
#include <vector>

#include "app/tform1.h"
#include "app/window/page_controls.h"
#include "app/window/window_table.h"
#include "base/error.h"
#include "base/text.h"

class QCheckBox;
class QKeyEvent;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QButtonGroup;

namespace veltrane::ui {

class BrowserHost;
class PageControl;

class MainWindow : public QWidget {
    Q_OBJECT
public:
    MainWindow(app::TForm1& form, BrowserHost& browser);
    ~MainWindow() override;

    // Runs one event of the core inside the window's error report, then shows the model's new state.
    template <class F>
    void handle(F&& event) {
        try {
            event();
        } catch (const Error& e) {
            // Rendered first, so the window behind the error report already shows what failed.
            render();
            reportError(e.what());
        } catch (const std::exception& e) {
            render();
            reportError(e.what());
        }
        render();
    }

    // Copies the core's window model into the widgets, without raising widget events.
    void render();

    PageControl* pageControl1() const { return pageControl1_; }
    PageControl* pageControl2() const { return pageControl2_; }
    // Whether the printer list has been asked of the printer system (after the first frame).
    bool printersListed() const { return printersListed_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    struct TabEntry {
        QWidget* widget;
        int tab;
    };

    // Builds every control of the window table, in its order, on its parent.
    void buildFromTable();
    QWidget* makeWidget(const app::ControlRow& row, QWidget* parent);
    // The widget of a table row.
    template <class W>
    W* widget(std::u16string_view name) const {
        return qobject_cast<W*>(widgets_.at(std::u16string(name)));
    }
    // Runs a handler of the table by name, inside the running event / as an event of its own.
    void runWindowHandler(const std::u16string& handler);
    void runHandler(const std::u16string& handler);
    void applyTabOrder();
    // Every control's accessible name, and each label tied to the control it names.
    void applyAccessibleNames();
    // Ctrl+Tab and its kin: true when the key changed a page.
    bool changePageByKey(const QKeyEvent& key);
    void collectTabChain(QWidget* container, std::vector<QWidget*>& chain) const;

    void onFocusChanged(QWidget* old, QWidget* now);
    void renderFlowPanel();
    void renderPrintView();
    void reportError(const char* what);

    app::TForm1& form_;
    BrowserHost& browser_;
    app::PageControls pages_;
    std::map<QWidget*, std::vector<TabEntry>> tabChildren_;

    std::map<std::u16string, QWidget*> widgets_;
    // Edits whose focus leaving runs a handler.
    std::map<QWidget*, std::u16string> exitHandlers_;
    std::vector<std::pair<QCheckBox*, app::TCheckBox*>> checkBoxes_;
    std::vector<std::pair<QComboBox*, app::TComboBox*>> comboBoxes_;

    PageControl* pageControl1_ = nullptr;
    PageControl* pageControl2_ = nullptr;
    QLabel* label3_ = nullptr;
    QLabel* label4_ = nullptr;
    QLabel* labelApptDefault_ = nullptr;
    QLabel* labelReceiptDefault_ = nullptr;
    QListWidget* listBoxPrinters_ = nullptr;
    int listItemHeight_ = 0;
    QPlainTextEdit* memo1_ = nullptr;
    QWidget* flowPanel1_ = nullptr;
    std::vector<QPushButton*> imagingButtons_;
    QWidget* browserParent_ = nullptr;  // the panel the browser fills
    QLabel* printStatus_ = nullptr;
    QPushButton* printAgain_ = nullptr;
    QPushButton* closeAnyway_ = nullptr;
    QWidget* firstInTabOrder_ = nullptr;
    bool placed_ = false;
    bool printersAsked_ = false;
    bool printersListed_ = false;
    // Imaging page edits by control name, so the model's map renders into them.
    std::map<std::u16string, QLineEdit*> imagingEdits_;
    QButtonGroup* radioGroup_ = nullptr;
};

}  // namespace veltrane::ui
