#include "linux/window/main_window.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QStyleOptionFocusRect>
#include <QTimer>
#include <QWindow>
#include <algorithm>

#include "app/window/accessible_names.h"
#include "app/window/browser_events.h"
#include "app/window/window_events.h"
#include "app/window/window_table.h"
#include "linux/window/browser_host.h"
#include "linux/window/flow_layout.h"
#include "linux/window/page_control.h"
#include "linux/window/window_hints.h"
#include "linux/window/window_placement.h"
#include "linux/window/window_style.h"

namespace veltrane::ui {

namespace {

QString qs(const std::u16string& text) { return QString::fromStdU16String(text); }

// An imaging button's click goes to the core's handler: by the button's position where the core takes one,
// else by its caption.
template <class Form>
void clickImagingButton(Form& form, std::size_t index, const std::u16string& caption) {
    if constexpr (requires { form.imagingButtonClick(index); }) {
        form.imagingButtonClick(index);
    } else if constexpr (requires { form.imagingButtonClick(caption); }) {
        form.imagingButtonClick(caption);
    } else {
        throw Error("Opening " + utf16ToUtf8(caption) + " is not available in this build");
    }
}

// Sets a label's text and lets it size itself to it, as labels do, keeping its designed height.
void setLabelText(QLabel* label, const QString& text) {
    if (label->text() == text) return;
    label->setText(text);
    label->resize(std::max(label->sizeHint().width(), 1), label->height());
}

// A check box's caption must not be cut off by a toolkit whose box is wider than the designed one: it grows to
// its caption, leftwards where the page's edge would cut it.
void fitCheckBox(QCheckBox* box) {
    QRect g = box->geometry();
    const int wanted = box->sizeHint().width();
    if (wanted <= g.width()) return;
    g.setWidth(wanted);
    if (QWidget* parent = box->parentWidget(); parent && g.right() >= parent->width())
        g.moveLeft(std::max(0, parent->width() - wanted));
    box->setGeometry(g);
}

// A push button that Enter presses as well as Space, as buttons do on the designed platform. Enter held down
// presses it once: a held key must not print a document again and again.
class PushButton final : public QPushButton {
public:
    PushButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) { setAutoDefault(true); }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        if (enter && event->isAutoRepeat()) return event->accept();
        QPushButton::keyPressEvent(event);
    }
};

// A list box that shows its focus also without a current row (empty, or clicked where no row is): the view draws
// focus only on its current row, so the focus would be invisible; a frame where the first row goes, as the designed
// platform's list box draws it.
class ListBox final : public QListWidget {
public:
    ListBox(QWidget* parent, int rowHeight) : QListWidget(parent), rowHeight_(rowHeight) {}

protected:
    void paintEvent(QPaintEvent* event) override {
        QListWidget::paintEvent(event);
        if (!hasFocus() || currentIndex().isValid()) return;
        QPainter painter(viewport());
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = QRect(0, 0, viewport()->width(), rowHeight_);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
    void focusInEvent(QFocusEvent* event) override {
        QListWidget::focusInEvent(event);
        viewport()->update();
    }
    void focusOutEvent(QFocusEvent* event) override {
        QListWidget::focusOutEvent(event);
        viewport()->update();
    }

private:
    int rowHeight_;
};

QStringList toLines(const std::vector<std::u16string>& lines) {
    QStringList list;
    for (const auto& line : lines) list << qs(line);
    return list;
}

}  // namespace

MainWindow::MainWindow(app::TForm1& form, BrowserHost& browser)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      form_(form),
      browser_(browser),
      pages_(form) {
    const auto& design = app::mainWindowDesign();
    setObjectName(qs(design.name));
    setWindowTitle(qs(design.caption));
    setWindowRole(QString::fromLatin1(kMainWindowRole));
    setFont(windowFont(design.font.pixelSize, design.font.bold));
    setFixedSize(design.clientWidth, design.clientHeight);
    QPalette face = palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    setPalette(face);
    setAutoFillBackground(true);

    buildFromTable();
    label3_ = widget<QLabel>(u"Label3");
    label4_ = widget<QLabel>(u"Label4");
    labelApptDefault_ = widget<QLabel>(u"LabelApptDefault");
    labelReceiptDefault_ = widget<QLabel>(u"LabelReceiptDefault");
    listBoxPrinters_ = widget<QListWidget>(u"ListBoxPrinters");
    memo1_ = widget<QPlainTextEdit>(u"Memo1");
    printAgain_ = widget<QPushButton>(u"ColorButton2");
    closeAnyway_ = widget<QPushButton>(u"ButtonCloseAnyway");
    // The memo is editable; its text is kept in the model so a later render does not undo the user's typing.
    connect(memo1_, &QPlainTextEdit::textChanged, this, [this] {
        std::vector<std::u16string> lines;
        for (const QString& line : memo1_->toPlainText().split(QLatin1Char('\n')))
            lines.push_back(line.toStdU16String());
        form_.Memo1.Lines = std::move(lines);
    });
    // The print view's status line sits over the foot of the page, as a browser shows what it is loading; it is
    // raised above the page once the browser has filled the panel.
    printStatus_ = new QLabel(browserParent_);
    printStatus_->setObjectName(QStringLiteral("PrintStatus"));
    printStatus_->setTextFormat(Qt::PlainText);
    printStatus_->setWordWrap(true);
    printStatus_->setAutoFillBackground(true);
    printStatus_->setFrameShape(QFrame::StyledPanel);
    printStatus_->setMargin(2);
    printStatus_->hide();
    applyTabOrder();
    applyAccessibleNames();
    // Keys that act wherever the focus is in the window (changing pages), or that a control must not see.
    qApp->installEventFilter(this);

    connect(qApp, &QApplication::focusChanged, this, &MainWindow::onFocusChanged);
    browser_.attach(browserParent_, app::browserEventsFor(
                                        form_, [this](const std::function<void()>& event) { handle(event); },
                                        [this](const std::string& message) { reportError(message.c_str()); }));

    // The state start-up reached is rendered when the window is shown; show handlers run only once the window
    // and their page become visible. The printer list follows the first frame (paintEvent).
}

MainWindow::~MainWindow() {
    // Destroying the children moves the focus; this window must not hear of it half-destroyed.
    disconnect(qApp, nullptr, this, nullptr);
    browser_.attach(nullptr, {});
}

// ---------------------------------------------------------------- building

void MainWindow::buildFromTable() {
    widgets_[app::mainWindowDesign().name] = this;
    for (const auto& row : app::windowControls()) {
        QWidget* parent = widgets_.at(row.parent);
        QWidget* widget = makeWidget(row, parent);
        if (!widget) continue;
        widgets_[row.name] = widget;
        if (row.font != app::mainWindowDesign().font) widget->setFont(windowFont(row.font.pixelSize, row.font.bold));
        if (row.background) {
            QPalette palette = widget->palette();
            palette.setColor(QPalette::Window,
                             QColor(row.background->red, row.background->green, row.background->blue));
            widget->setPalette(palette);
            widget->setAutoFillBackground(true);
        }
        if (row.kind == app::ControlKind::Label) {
            // Labels size themselves to their caption; the designed width is that of the designed font.
            widget->resize(std::max(widget->sizeHint().width(), 1), row.bounds.height);
        }
        if (row.kind == app::ControlKind::CheckBox) fitCheckBox(static_cast<QCheckBox*>(widget));
        if (!row.visible) widget->hide();
        if (row.tab >= 0 && row.kind != app::ControlKind::TabSheet) tabChildren_[parent].push_back({widget, row.tab});
    }
}

QWidget* MainWindow::makeWidget(const app::ControlRow& row, QWidget* parent) {
    using K = app::ControlKind;
    const QString name = qs(row.name);
    const QString caption = qs(row.caption);
    const std::u16string handler = row.handler;
    const QRect geometry(row.bounds.left, row.bounds.top, row.bounds.width, row.bounds.height);
    QWidget* widget = nullptr;
    switch (row.kind) {
        case K::Label: {
            auto* label = new QLabel(caption, parent);
            // Captions may come from the request file or the settings: never read them as markup.
            label->setTextFormat(Qt::PlainText);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            widget = label;
            break;
        }
        case K::Button: {
            auto* button = new PushButton(caption, parent);
            connect(button, &QPushButton::clicked, this, [this, handler] { runHandler(handler); });
            widget = button;
            break;
        }
        case K::CheckBox: {
            auto* box = new QCheckBox(caption, parent);
            app::TCheckBox* model = app::checkBoxModel(form_, row.name);
            if (!model) throw Error("The window model has no check box named " + utf16ToUtf8(row.name));
            checkBoxes_.emplace_back(box, model);
            connect(box, &QCheckBox::toggled, this, [this, model, handler](bool on) {
                handle([&] {
                    model->Checked = on;
                    runWindowHandler(handler);
                });
            });
            widget = box;
            break;
        }
        case K::Edit: {
            auto* edit = new QLineEdit(parent);
            imagingEdits_[row.name] = edit;
            exitHandlers_[edit] = handler;
            const std::u16string editName = row.name;
            connect(edit, &QLineEdit::textEdited, this, [this, editName](const QString& text) {
                form_.imagingEdit(editName).Text = text.toStdU16String();
            });
            widget = edit;
            break;
        }
        case K::Memo: {
            auto* memo = new QPlainTextEdit(parent);
            memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            if (!row.border) memo->setFrameShape(QFrame::NoFrame);
            memo->setReadOnly(row.readOnly);
            memo->setEnabled(row.enabled);
            if (!row.items.empty()) {
                QStringList lines;
                for (const auto& line : row.items) lines << qs(line);
                memo->setPlainText(lines.join(QLatin1Char('\n')));
            }
            if (!row.readOnly) {
                memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
                // Tab moves on to the next control rather than typing a tab nobody reads.
                memo->setTabChangesFocus(true);
            }
            widget = memo;
            break;
        }
        case K::ListBox: {
            listItemHeight_ = row.itemHeight;
            auto* list =
                new ListBox(parent, row.itemHeight > 0 ? row.itemHeight : QFontMetrics(parent->font()).height());
            list->setUniformItemSizes(true);
            connect(list, &QListWidget::currentRowChanged, this,
                    [this](int index) { handle([&] { form_.ListBoxPrinters.ItemIndex = index; }); });
            widget = list;
            break;
        }
        case K::ComboBox: {
            auto* combo = new QComboBox(parent);
            combo->setEditable(true);
            combo->setInsertPolicy(QComboBox::NoInsert);
            // No completion: what the user types is the text, letter by letter.
            combo->setCompleter(nullptr);
            for (const auto& item : row.items) combo->addItem(qs(item));
            combo->setCurrentIndex(-1);
            app::TComboBox* model = app::comboBoxModel(form_, row.name);
            if (!model) throw Error("The window model has no combo box named " + utf16ToUtf8(row.name));
            comboBoxes_.emplace_back(combo, model);
            // Every typed character counts as a change, as does choosing an item.
            connect(combo, &QComboBox::editTextChanged, this, [this, model, handler](const QString& text) {
                handle([&] {
                    model->Text = text.toStdU16String();
                    runWindowHandler(handler);
                });
            });
            widget = combo;
            break;
        }
        case K::PageControl: {
            auto* pages = new PageControl(parent);
            if (!app::pageControlModel(form_, row.name))
                throw Error("The window model has no page control named " + utf16ToUtf8(row.name));
            const std::u16string pageControl = row.name;
            pages->onTabChosen = [this, pageControl](int index) {
                handle([&] { pages_.tabChosen(pageControl, index); });
            };
            if (row.name == u"PageControl1") pageControl1_ = pages;
            if (row.name == u"PageControl2") pageControl2_ = pages;
            widget = pages;
            break;
        }
        case K::TabSheet: {
            auto* pages = qobject_cast<PageControl*>(parent);
            if (!pages) throw Error("The tab sheet " + utf16ToUtf8(row.name) + " is not on a page control");
            // Its show handler runs when it comes into sight (render).
            return pages->addPage(name, caption);
        }
        case K::Panel: {
            auto* panel = new QFrame(parent);
            panel->setFrameShape(QFrame::Panel);
            panel->setFrameShadow(QFrame::Raised);
            widget = panel;
            break;
        }
        case K::Browser:
            // The browser module fills its panel once it is loaded (BrowserHost::attach).
            browserParent_ = parent;
            return nullptr;
        case K::GroupBox:
            widget = new QGroupBox(caption, parent);
            break;
        case K::RadioGroup: {
            auto* group = new QGroupBox(caption, parent);
            radioGroup_ = new QButtonGroup(group);
            connect(radioGroup_, &QButtonGroup::idClicked, this, [this, handler](int id) {
                if (id == form_.RadioGroupDigoraNameFormat.ItemIndex) return;  // no change, no click
                handle([&] {
                    form_.RadioGroupDigoraNameFormat.ItemIndex = id;
                    runWindowHandler(handler);
                });
            });
            widget = group;
            break;
        }
        case K::RadioButton: {
            auto* radio = new QRadioButton(caption, parent);
            radioGroup_->addButton(radio, static_cast<int>(radioGroup_->buttons().size()));
            widget = radio;
            break;
        }
        case K::FlowPanel:
            // The buttons are laid out to fit the panel however many there are, so it never needs to scroll.
            widget = new QWidget(parent);
            flowPanel1_ = widget;
            break;
    }
    widget->setObjectName(name);
    widget->setGeometry(geometry);
    return widget;
}

void MainWindow::runWindowHandler(const std::u16string& handler) {
    if (handler.empty()) return;
    if (!app::runWindowHandler(form_, handler)) throw Error("The window has no handler named " + utf16ToUtf8(handler));
}

void MainWindow::runHandler(const std::u16string& handler) {
    handle([&] { runWindowHandler(handler); });
}

void MainWindow::collectTabChain(QWidget* container, std::vector<QWidget*>& chain) const {
    auto it = tabChildren_.find(container);
    if (it == tabChildren_.end()) return;
    auto children = it->second;
    std::stable_sort(children.begin(), children.end(),
                     [](const TabEntry& a, const TabEntry& b) { return a.tab < b.tab; });
    for (const auto& child : children) {
        if (auto* pc = qobject_cast<PageControl*>(child.widget)) {
            chain.push_back(pc->tabStrip());
            for (int i = 0; i < pc->count(); ++i) collectTabChain(pc->page(i), chain);
        } else if (child.widget == flowPanel1_) {
            // The panel takes no focus itself; its buttons follow one another in the order they were made.
            for (auto* button : imagingButtons_) chain.push_back(button);
        } else {
            chain.push_back(child.widget);
            collectTabChain(child.widget, chain);
        }
    }
}

void MainWindow::applyTabOrder() {
    std::vector<QWidget*> chain;
    collectTabChain(this, chain);
    for (std::size_t i = 1; i < chain.size(); ++i) QWidget::setTabOrder(chain[i - 1], chain[i]);
    firstInTabOrder_ = chain.empty() ? nullptr : chain.front();
}

void MainWindow::applyAccessibleNames() {
    for (const auto& row : app::windowControls()) {
        if (!app::isInteractive(row)) continue;
        const QString name = qs(app::accessibleName(row));
        if (row.kind == app::ControlKind::TabSheet) continue;  // its tab is named by the page control's tab list
        QWidget* control = widgets_.at(row.name);
        control->setAccessibleName(name);
        // The focus is in a combo box's own edit, and its list is what opens: both say the combo box's name.
        if (auto* combo = qobject_cast<QComboBox*>(control)) {
            if (combo->lineEdit()) combo->lineEdit()->setAccessibleName(name);
            combo->view()->setAccessibleName(name);
        }
        // The buddy gives the label-for / labelled-by relation; the captions hold no '&', so no mnemonic appears.
        if (const app::ControlRow* label = app::namingLabel(row))
            if (auto* text = qobject_cast<QLabel*>(widgets_.at(label->name))) text->setBuddy(control);
    }
}

// ---------------------------------------------------------------- events

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
    auto* target = qobject_cast<QWidget*>(watched);
    if (!target || target->window() != this) return QWidget::eventFilter(watched, event);
    const auto& key = static_cast<const QKeyEvent&>(*event);
    if (changePageByKey(key)) return true;
    // Alt with a letter is a command key on the designed platform, never text: it must not end up in a stored
    // setting (a combo box's text is saved as it is typed). AltGr is no Alt here, so it still types.
    const Qt::KeyboardModifiers mods = key.modifiers();
    if ((mods & Qt::AltModifier) && !(mods & Qt::ControlModifier) && !key.text().isEmpty() &&
        key.text().at(0).isPrint() &&
        (qobject_cast<QLineEdit*>(target) || qobject_cast<QPlainTextEdit*>(target) || qobject_cast<QComboBox*>(target)))
        return true;
    return QWidget::eventFilter(watched, event);
}

bool MainWindow::changePageByKey(const QKeyEvent& key) {
    const Qt::KeyboardModifiers mods = key.modifiers() & ~Qt::KeypadModifier;
    int delta = 0;
    if ((key.key() == Qt::Key_Tab && mods == Qt::ControlModifier) ||
        (key.key() == Qt::Key_PageDown && mods == Qt::ControlModifier))
        delta = 1;
    else if (((key.key() == Qt::Key_Backtab || key.key() == Qt::Key_Tab) &&
              mods == (Qt::ControlModifier | Qt::ShiftModifier)) ||
             (key.key() == Qt::Key_PageUp && mods == Qt::ControlModifier))
        delta = -1;
    if (delta == 0) return false;
    // The page control that holds the focus, the inner one first; elsewhere the window's own.
    PageControl* pages = pageControl1_;
    if (QWidget* focus = QApplication::focusWidget();
        focus && pageControl2_->isVisible() && (pageControl2_ == focus || pageControl2_->isAncestorOf(focus)))
        pages = pageControl2_;
    // The focus goes to its tabs first, as a click on a tab takes it: what was typed into an edit is stored as it
    // leaves, the focus never stays behind on a page that has gone, and the new tab is heard as the focused one.
    pages->tabStrip()->setFocus(Qt::TabFocusReason);
    pages->chooseNeighbour(delta);
    return true;
}

void MainWindow::onFocusChanged(QWidget* old, QWidget* now) {
    // Focus moving to another window (a dialog) is not leaving a control, as on the designed platform.
    if (!old || !now || old->window() != this || now->window() != this) return;
    // An edit's own exit runs before that of the page control around it.
    if (auto it = exitHandlers_.find(old); it != exitHandlers_.end()) runHandler(it->second);
    const auto holds = [this](QWidget* focus) {
        return [this, focus](const app::ControlRow& pageControl) {
            return widgets_.at(pageControl.name)->isAncestorOf(focus);
        };
    };
    for (const auto& handler : pages_.exitHandlers(holds(old), holds(now))) runHandler(handler);
}

void MainWindow::showEvent(QShowEvent* event) {
    // The native window exists now and is not yet mapped: the moment the window manager's hints count.
    if (!event->spontaneous()) {
        applyMainWindowHints(this);
        keepUnshaded(this);
        // Placed once: a window shown again stays where the user left it.
        if (!placed_) {
            placed_ = true;
            if (const auto place = placeClearOfOtherWindows(this)) move(*place);
        }
    }
    QWidget::showEvent(event);
    if (event->spontaneous()) return;
    // The pages are in sight now: those that came into sight run their show handlers.
    handle([] {});
    // The window opens with the first control in the tab order focused, and the focus shown, as on the designed
    // platform; a window shown again keeps the focus where the user left it.
    showFocusFrames(this);
    if (!focusWidget() && firstInTabOrder_) firstInTabOrder_->setFocus(Qt::TabFocusReason);
}

void MainWindow::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    // The printer system is asked only once the window is on the screen: loading it (and a print server that
    // is slow to answer) must not keep the window from appearing. A failure is reported like any event's.
    // A paint before the window is mapped never reaches the screen; the one after the server exposes it does.
    if (printersAsked_ || !windowHandle() || !windowHandle()->isExposed()) return;
    printersAsked_ = true;
    QTimer::singleShot(0, this, [this] {
        // The frame is with the display server before the window gets busy.
        QGuiApplication::sync();
        handle([this] { form_.loadPrinterListBox(); });
        printersListed_ = true;
    });
}

void MainWindow::changeEvent(QEvent* event) {
    // A window manager may still minimise the window (a title-bar button some managers draw anyway, or their keyboard
    // menu); with no taskbar to bring it back the only way out, DONE, would be gone, so it comes straight back.
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized)) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                setWindowState(windowState() & ~Qt::WindowMinimized);
                show();
                raise();
                activateWindow();
            },
            Qt::QueuedConnection);
    }
    QWidget::changeEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Only "DONE" ends the program: it restores the default printer and page setup a print switched.
    event->ignore();
}

void MainWindow::reportError(const char* what) { form_.platform().dialogs.showError(utf8ToUtf16(what)); }

// ---------------------------------------------------------------- rendering

void MainWindow::render() {
    setLabelText(label3_, qs(form_.Label3.Caption));
    setLabelText(label4_, qs(form_.Label4.Caption));
    setLabelText(labelApptDefault_, qs(form_.LabelApptDefault.Caption));
    setLabelText(labelReceiptDefault_, qs(form_.LabelReceiptDefault.Caption));
    {
        const QSignalBlocker blocker(listBoxPrinters_);
        const QStringList items = toLines(form_.ListBoxPrinters.Items);
        QStringList shown;
        for (int i = 0; i < listBoxPrinters_->count(); ++i) shown << listBoxPrinters_->item(i)->text();
        if (shown != items) {
            listBoxPrinters_->clear();
            for (const QString& item : items) {
                auto* row = new QListWidgetItem(item, listBoxPrinters_);
                if (listItemHeight_ > 0) row->setSizeHint(QSize(0, listItemHeight_));
            }
        }
        if (listBoxPrinters_->currentRow() != form_.ListBoxPrinters.ItemIndex)
            listBoxPrinters_->setCurrentRow(form_.ListBoxPrinters.ItemIndex);
    }
    for (auto [combo, model] : comboBoxes_) {
        const QSignalBlocker blocker(combo);
        if (combo->currentText() != qs(model->Text)) combo->setEditText(qs(model->Text));
    }
    {
        const QSignalBlocker blocker(memo1_);
        const QString text = toLines(form_.Memo1.Lines).join(QLatin1Char('\n'));
        if (memo1_->toPlainText() != text) memo1_->setPlainText(text);
    }
    for (auto [box, model] : checkBoxes_) {
        const QSignalBlocker blocker(box);
        box->setChecked(model->Checked);
    }
    for (auto& [name, edit] : imagingEdits_) {
        const QString text = qs(form_.imagingEdit(name).Text);
        if (edit->text() != text) {
            const QSignalBlocker blocker(edit);
            edit->setText(text);
        }
    }
    if (radioGroup_) {
        const int index = form_.RadioGroupDigoraNameFormat.ItemIndex;
        if (radioGroup_->checkedId() != index) {
            const QSignalBlocker blocker(radioGroup_);
            if (index < 0) {
                radioGroup_->setExclusive(false);
                for (auto* b : radioGroup_->buttons()) b->setChecked(false);
                radioGroup_->setExclusive(true);
            } else if (auto* b = radioGroup_->button(index)) {
                b->setChecked(true);
                // Tab enters the group at its chosen item, as the toolkit does only for the last one focused.
                for (auto* other : radioGroup_->buttons())
                    other->setFocusPolicy(other == b ? Qt::StrongFocus : Qt::ClickFocus);
            }
        }
    }
    renderPrintView();
    renderFlowPanel();
    // Pages last: the pages that come into sight run their show handlers, which render again with their results.
    for (const auto& shown : pages_.pagesToShow())
        widget<PageControl>(shown.pageControl->name)->setCurrentIndex(shown.index);
    const auto inSight = [this](const app::ControlRow& sheet) { return widgets_.at(sheet.name)->isVisible(); };
    for (const auto& handler : pages_.showHandlers(inSight)) runHandler(handler);
}

void MainWindow::renderPrintView() {
    printAgain_->setEnabled(form_.PrintAgainEnabled);
    closeAnyway_->setVisible(form_.CloseAnywayVisible);
    const QString status = qs(form_.PrintStatus.Caption);
    if (status.isEmpty()) {
        printStatus_->hide();
        return;
    }
    if (printStatus_->text() != status) printStatus_->setText(status);
    const int width = browserParent_->width() - 2;
    const int height = std::min(printStatus_->heightForWidth(width), browserParent_->height() - 2);
    printStatus_->setGeometry(1, browserParent_->height() - 1 - height, width, height);
    printStatus_->show();
    printStatus_->raise();
}

void MainWindow::renderFlowPanel() {
    const auto& buttons = form_.FlowPanel1.Buttons;
    if (imagingButtons_.size() == buttons.size()) return;
    // Buttons are only ever added, so only the new ones are made.
    while (imagingButtons_.size() < buttons.size()) {
        const std::size_t index = imagingButtons_.size();
        const auto& model = buttons[index];
        auto* button = new PushButton(qs(model.Caption), flowPanel1_);
        button->setObjectName(QStringLiteral("ImagingButton%1").arg(index));
        connect(button, &QPushButton::clicked, this, [this, index] {
            const std::u16string caption = form_.FlowPanel1.Buttons.at(index).Caption;
            handle([&] { clickImagingButton(form_, index, caption); });
        });
        imagingButtons_.push_back(button);
    }
    // Up to six buttons keep their designed size and font in one column; more share the panel so every one
    // stays in sight and clickable.
    std::vector<QString> captions;
    for (const auto& model : buttons) captions.push_back(qs(model.Caption));
    const auto& first = buttons.front();
    const FlowLayout layout =
        layoutImagingButtons(captions, QSize(flowPanel1_->width(), flowPanel1_->height()),
                             QSize(first.Width, first.Height), first.FontSize * 96 / 72, first.FontBold);
    for (std::size_t i = 0; i < imagingButtons_.size(); ++i) {
        imagingButtons_[i]->setFont(windowFont(layout.fontPixels, buttons[i].FontBold));
        imagingButtons_[i]->setGeometry(layout.cells[i]);
        imagingButtons_[i]->show();
    }
    applyTabOrder();
}

}  // namespace veltrane::ui
