#pragma once
// The main window: builds the layout, renders the core's window model, and forwards every widget event to the
// core's handler of the same name. No rule of the program lives here.

#include <QWidget>
#include <map>
#include <utility>
#include <vector>

#include "app/tform1.h"
#include "base/error.h"
#include "base/text.h"

class QCheckBox;
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

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct TabEntry {
        QWidget* widget;
        int tab;
    };

    QLabel* addLabel(QWidget* parent, const char* name, const QString& caption, QRect geometry);
    QPushButton* addButton(QWidget* parent, const char* name, const QString& caption, QRect geometry, int tab);
    QCheckBox* addCheckBox(QWidget* parent, const char* name, const QString& caption, QRect geometry, int tab);
    void setTab(QWidget* widget, int tab);

    void buildTopStrip();
    void buildPrintersPage(QWidget* page);
    void buildConfigPage(QWidget* page);
    void buildImagingPage(QWidget* page);
    void buildImagingSubPage(int index, QWidget* page);
    void buildChoosePage(QWidget* page);
    void applyTabOrder();
    void collectTabChain(QWidget* container, std::vector<QWidget*>& chain) const;

    void onFocusChanged(QWidget* old, QWidget* now);
    void renderFlowPanel();
    void renderPrintView();
    void reportError(const char* what);

    app::TForm1& form_;
    BrowserHost& browser_;
    std::map<QWidget*, std::vector<TabEntry>> tabChildren_;
    std::map<QObject*, std::function<void()>> showHandlers_;

    PageControl* pageControl1_ = nullptr;
    PageControl* pageControl2_ = nullptr;
    QLabel* label3_ = nullptr;
    QLabel* label4_ = nullptr;
    QLabel* labelApptDefault_ = nullptr;
    QLabel* labelReceiptDefault_ = nullptr;
    QListWidget* listBoxPrinters_ = nullptr;
    QComboBox* comboBoxApptType_ = nullptr;
    QComboBox* comboBoxReceiptType_ = nullptr;
    QPlainTextEdit* memo1_ = nullptr;
    QCheckBox* checkBoxLogging_ = nullptr;
    QCheckBox* checkBoxSSL_ = nullptr;
    QCheckBox* checkBoxAutoload_ = nullptr;
    QWidget* flowPanel1_ = nullptr;
    std::vector<QPushButton*> imagingButtons_;
    QWidget* panel1_ = nullptr;
    QLabel* printStatus_ = nullptr;
    QPushButton* printAgain_ = nullptr;
    QPushButton* closeAnyway_ = nullptr;
    // Imaging pages: widgets by control name, so the model's maps render into them.
    std::map<std::u16string, QCheckBox*> imagingChecks_;
    std::map<std::u16string, QLineEdit*> imagingEdits_;
    QButtonGroup* digoraNameFormat_ = nullptr;
};

}  // namespace veltrane::ui
