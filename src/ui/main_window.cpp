#include "ui/main_window.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <algorithm>

#include "ui/browser_host.h"
#include "ui/flow_layout.h"
#include "ui/imaging_page_layout.h"
#include "ui/page_control.h"
#include "ui/window_hints.h"
#include "ui/window_style.h"

namespace veltrane::ui {

namespace {

QString qs(std::u16string_view text) { return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())); }
QString qs(const std::u16string& text) { return QString::fromStdU16String(text); }

constexpr int kWindowWidth = 570;
constexpr int kWindowHeight = 490;
constexpr int kBigButtonFont = 19;  // "DONE" and "Print Again"
constexpr int kListItemHeight = 13;

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

QStringList toLines(const std::vector<std::u16string>& lines) {
    QStringList list;
    for (const auto& line : lines) list << qs(line);
    return list;
}

}  // namespace

MainWindow::MainWindow(app::TForm1& form, BrowserHost& browser)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint), form_(form), browser_(browser) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(kWindowTitle);
    setFont(windowFont());
    setFixedSize(kWindowWidth, kWindowHeight);
    QPalette face = palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    setPalette(face);
    setAutoFillBackground(true);

    buildTopStrip();
    buildPrintersPage(pageControl1_->page(0));
    buildConfigPage(pageControl1_->page(1));
    buildImagingPage(pageControl1_->page(2));
    buildChoosePage(pageControl1_->page(3));
    applyTabOrder();

    connect(qApp, &QApplication::focusChanged, this, &MainWindow::onFocusChanged);
    BrowserEvents events;
    events.navigateComplete = [this] { handle([this] { form_.WebBrowser1NavigateComplete2(); }); };
    // A page that could not be loaded is reported like any failed event, so the user knows why nothing printed.
    events.navigateFailed = [this](const std::string& message) {
        handle([&] { form_.WebBrowser1NavigateFailed(message); });
    };
    events.loadProgress = [this](int percent) { handle([&] { form_.WebBrowser1Loading(percent); }); };
    events.printed = [this](const std::string& printer) {
        handle([&] { form_.WebBrowser1Printed(utf8ToUtf16(printer)); });
    };
    events.printFailed = [this](const std::string& message) { handle([&] { form_.WebBrowser1PrintFailed(message); }); };
    browser_.attach(panel1_, std::move(events));

    // The printer system is asked only now that a window needs the list; a failure is reported like any event's.
    // Then the state start-up reached; show handlers run only once the window and their page become visible.
    handle([this] { form_.loadPrinterListBox(); });
}

MainWindow::~MainWindow() {
    // Destroying the children moves the focus; this window must not hear of it half-destroyed.
    disconnect(qApp, nullptr, this, nullptr);
    browser_.attach(nullptr, {});
}

// ---------------------------------------------------------------- building

QLabel* MainWindow::addLabel(QWidget* parent, const char* name, const QString& caption, QRect geometry) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(name));
    // Captions may come from the request file or the settings: never read them as markup.
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Labels size themselves to their caption; the designed width is that of the designed font.
    label->resize(std::max(label->sizeHint().width(), 1), geometry.height());
    return label;
}

QPushButton* MainWindow::addButton(QWidget* parent, const char* name, const QString& caption, QRect geometry, int tab) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    setTab(button, tab);
    return button;
}

QCheckBox* MainWindow::addCheckBox(QWidget* parent, const char* name, const QString& caption, QRect geometry, int tab) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(geometry);
    fitCheckBox(box);
    setTab(box, tab);
    return box;
}

void MainWindow::setTab(QWidget* widget, int tab) { tabChildren_[widget->parentWidget()].push_back({widget, tab}); }

void MainWindow::buildTopStrip() {
    auto* label1 = addLabel(this, "Label1", QStringLiteral("Veltrane Client Tools"), QRect(8, 8, 241, 26));
    label1->setFont(windowFont(21, true));
    label1->resize(label1->sizeHint().width(), 26);
    addLabel(this, "Label2", QStringLiteral("v4.26"), QRect(272, 19, 28, 13));
    label3_ = addLabel(this, "Label3", QStringLiteral("---"), QRect(320, 8, 12, 13));
    label4_ = addLabel(this, "Label4", QStringLiteral("---"), QRect(320, 27, 12, 13));

    pageControl1_ = new PageControl(this);
    pageControl1_->setObjectName(QStringLiteral("PageControl1"));
    pageControl1_->setGeometry(8, 46, 556, 435);
    setTab(pageControl1_, 0);
    pageControl1_->addPage(QStringLiteral("TabSheet1"), QStringLiteral("Printers"));
    pageControl1_->addPage(QStringLiteral("TabSheet2"), QStringLiteral("Config"));
    pageControl1_->addPage(QStringLiteral("TabSheet3"), QStringLiteral("Imaging"));
    pageControl1_->addPage(QStringLiteral("TabSheet19"), QStringLiteral("Choose Imaging System"));
    pageControl1_->onTabChosen = [this](int index) { handle([&] { form_.PageControl1.ActivePageIndex = index; }); };
    showHandlers_[pageControl1_->page(1)] = [this] { form_.TabSheet2Show(); };
    showHandlers_[pageControl1_->page(3)] = [this] { form_.TabSheet19Show(); };
    for (int i = 0; i < pageControl1_->count(); ++i) pageControl1_->page(i)->installEventFilter(this);

    auto* done = addButton(this, "ColorButton1", QStringLiteral("DONE"), QRect(456, 8, 106, 49), 1);
    done->setFont(windowFont(kBigButtonFont, true));
    connect(done, &QPushButton::clicked, this, [this] { handle([this] { form_.ColorButton1Click(); }); });

    // Offered only after DONE failed to put everything back, so a missing printer never traps the user.
    closeAnyway_ = addButton(this, "ButtonCloseAnyway", QStringLiteral("Close Anyway"), QRect(350, 8, 100, 49), 2);
    closeAnyway_->hide();
    connect(closeAnyway_, &QPushButton::clicked, this, [this] { handle([this] { form_.CloseAnywayClick(); }); });
}

void MainWindow::buildPrintersPage(QWidget* page) {
    addLabel(page, "Label5", QStringLiteral("Default printer"), QRect(3, 3, 70, 13));
    listBoxPrinters_ = new QListWidget(page);
    listBoxPrinters_->setObjectName(QStringLiteral("ListBoxPrinters"));
    listBoxPrinters_->setGeometry(3, 22, 396, 97);
    listBoxPrinters_->setUniformItemSizes(true);
    setTab(listBoxPrinters_, 4);
    connect(listBoxPrinters_, &QListWidget::currentRowChanged, this,
            [this](int row) { handle([&] { form_.ListBoxPrinters.ItemIndex = row; }); });

    auto* button2 = addButton(page, "Button2", QStringLiteral("Set Appointment Default"), QRect(405, 22, 140, 25), 0);
    connect(button2, &QPushButton::clicked, this, [this] { handle([this] { form_.Button2Click(); }); });
    auto* button3 = addButton(page, "Button3", QStringLiteral("Set Receipt Default"), QRect(405, 94, 140, 25), 1);
    connect(button3, &QPushButton::clicked, this, [this] { handle([this] { form_.Button3Click(); }); });

    addLabel(page, "Label6", QStringLiteral("Appointment default:"), QRect(3, 125, 102, 13));
    labelApptDefault_ = addLabel(page, "LabelApptDefault", QStringLiteral("no default"), QRect(124, 125, 49, 13));
    addLabel(page, "Label8", QStringLiteral("Receipt default:"), QRect(3, 144, 77, 13));
    labelReceiptDefault_ = addLabel(page, "LabelReceiptDefault", QStringLiteral("no default"), QRect(124, 144, 49, 13));

    auto* again = addButton(page, "ColorButton2", QStringLiteral("Print Again"), QRect(405, 144, 140, 40), 6);
    printAgain_ = again;
    again->setFont(windowFont(kBigButtonFont, true));
    connect(again, &QPushButton::clicked, this, [this] { handle([this] { form_.ColorButton2Click(); }); });

    auto makeCombo = [&](const char* name, QRect geometry, int tab, app::TComboBox& model,
                         void (app::TForm1::*change)()) {
        auto* combo = new QComboBox(page);
        combo->setObjectName(QString::fromLatin1(name));
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        // No completion: what the user types is the text, letter by letter.
        combo->setCompleter(nullptr);
        combo->addItems({QStringLiteral("Normal"), QStringLiteral("Dedicated")});
        combo->setCurrentIndex(-1);
        combo->setGeometry(geometry);
        setTab(combo, tab);
        // Every typed character counts as a change, as does choosing an item.
        connect(combo, &QComboBox::editTextChanged, this, [this, &model, change](const QString& text) {
            handle([&] {
                model.Text = text.toStdU16String();
                (form_.*change)();
            });
        });
        return combo;
    };
    addLabel(page, "Label10", QStringLiteral("Appt type:"), QRect(3, 166, 52, 13));
    comboBoxApptType_ = makeCombo("ComboBoxApptType", QRect(61, 163, 101, 21), 2, form_.ComboBoxApptType,
                                  &app::TForm1::ComboBoxApptTypeChange);
    addLabel(page, "Label11", QStringLiteral("Receipt type:"), QRect(200, 166, 65, 13));
    comboBoxReceiptType_ = makeCombo("ComboBoxReceiptType", QRect(271, 163, 101, 21), 3, form_.ComboBoxReceiptType,
                                     &app::TForm1::ComboBoxReceiptTypeChange);

    auto* panel = new QFrame(page);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setGeometry(3, 190, 542, 216);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    setTab(panel, 5);
    panel1_ = panel;

    // The print view's status line sits over the foot of the page, as a browser shows what it is loading; it is
    // raised above the page once the browser has filled the panel.
    printStatus_ = new QLabel(panel);
    printStatus_->setObjectName(QStringLiteral("PrintStatus"));
    printStatus_->setTextFormat(Qt::PlainText);
    printStatus_->setWordWrap(true);
    printStatus_->setAutoFillBackground(true);
    printStatus_->setFrameShape(QFrame::StyledPanel);
    printStatus_->setMargin(2);
    printStatus_->hide();
}

void MainWindow::buildConfigPage(QWidget* page) {
    checkBoxLogging_ =
        addCheckBox(page, "CheckBoxLogging", QStringLiteral("Write actions to log file"), QRect(3, 3, 142, 17), 1);
    connect(checkBoxLogging_, &QCheckBox::toggled, this, [this](bool on) {
        handle([&] {
            form_.CheckBoxLogging.Checked = on;
            form_.CheckBoxLoggingClick();
        });
    });
    checkBoxSSL_ = addCheckBox(page, "CheckBoxSSL", QStringLiteral("Server uses SSL"), QRect(448, 3, 97, 17), 2);
    connect(checkBoxSSL_, &QCheckBox::toggled, this, [this](bool on) {
        handle([&] {
            form_.CheckBoxSSL.Checked = on;
            form_.CheckBoxSSLClick();
        });
    });
    memo1_ = new QPlainTextEdit(page);
    memo1_->setObjectName(QStringLiteral("Memo1"));
    memo1_->setGeometry(3, 26, 542, 378);
    memo1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo1_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo1_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // Tab moves on to the check boxes rather than typing a tab nobody reads.
    memo1_->setTabChangesFocus(true);
    setTab(memo1_, 0);
    // The memo is editable; its text is kept in the model so a later render does not undo the user's typing.
    connect(memo1_, &QPlainTextEdit::textChanged, this, [this] {
        std::vector<std::u16string> lines;
        for (const QString& line : memo1_->toPlainText().split(QLatin1Char('\n')))
            lines.push_back(line.toStdU16String());
        form_.Memo1.Lines = std::move(lines);
    });
}

void MainWindow::buildImagingPage(QWidget* page) {
    pageControl2_ = new PageControl(page);
    pageControl2_->setObjectName(QStringLiteral("PageControl2"));
    pageControl2_->setGeometry(0, 0, 548, 407);
    setTab(pageControl2_, 0);
    for (int i = 0; i < app::kImagingPageCount; ++i) {
        const auto& pageSpec = app::kImagingPages[static_cast<std::size_t>(i)];
        QWidget* sheet = pageControl2_->addPage(qs(pageSpec.sheet), qs(pageSpec.caption));
        showHandlers_[sheet] = [this, i] { form_.imagingPageShow(i); };
        sheet->installEventFilter(this);
        buildImagingSubPage(i, sheet);
    }
    pageControl2_->onTabChosen = [this](int index) { handle([&] { form_.PageControl2.ActivePageIndex = index; }); };
}

void MainWindow::buildImagingSubPage(int index, QWidget* page) {
    const auto& pageSpec = app::kImagingPages[static_cast<std::size_t>(index)];
    const auto& layout = imagingPageLayout(index);
    std::map<std::u16string_view, QWidget*> byName;

    auto makeBox = [&](std::u16string_view name, const QString& caption, QRect geometry) {
        auto* box = new QCheckBox(caption, page);
        box->setObjectName(qs(name));
        box->setGeometry(geometry);
        fitCheckBox(box);
        imagingChecks_[std::u16string(name)] = box;
        byName[name] = box;
        connect(box, &QCheckBox::toggled, this, [this, name](bool on) {
            handle([&] {
                form_.imagingCheckBox(name).Checked = on;
                form_.imagingCheckBoxClick(name);
            });
        });
    };
    makeBox(pageSpec.enabledBox, QStringLiteral("Enabled"),
            QRect(kEnabledLeft, kEnabledTop, kEnabledWidth, kEnabledHeight));

    for (int e = 0; e < pageSpec.editCount; ++e) {
        const auto& editSpec = pageSpec.edits[static_cast<std::size_t>(e)];
        const auto& row = layout.rows[static_cast<std::size_t>(e)];
        const bool padEdit = row.caption == u"ID Pad Length:";
        auto* label = new QLabel(qs(row.caption), page);
        label->setTextFormat(Qt::PlainText);
        label->setObjectName(QStringLiteral("Label_") + qs(editSpec.name).mid(5));
        label->setGeometry(kLabelLeft, row.labelTop, 1, kLabelHeight);
        label->resize(label->sizeHint().width(), kLabelHeight);
        auto* edit = new QLineEdit(page);
        edit->setObjectName(qs(editSpec.name));
        edit->setGeometry(kEditLeft, row.editTop, padEdit ? kPadEditWidth : kEditWidth, kEditHeight);
        imagingEdits_[std::u16string(editSpec.name)] = edit;
        byName[editSpec.name] = edit;
        const std::u16string_view name = editSpec.name;
        connect(edit, &QLineEdit::textEdited, this,
                [this, name](const QString& text) { form_.imagingEdit(name).Text = text.toStdU16String(); });
    }
    for (int b = 0; b < pageSpec.browseCount; ++b) {
        const auto& browse = pageSpec.browses[static_cast<std::size_t>(b)];
        const auto& row = layout.rows[static_cast<std::size_t>(browse.edit)];
        auto* button = new QPushButton(QStringLiteral("Browse..."), page);
        button->setObjectName(qs(browse.name));
        button->setAutoDefault(false);
        button->setGeometry(kButtonLeft, row.buttonTop, kButtonWidth, kButtonHeight);
        byName[browse.name] = button;
        const std::u16string_view name = browse.name;
        connect(button, &QPushButton::clicked, this, [this, name] { handle([&] { form_.imagingBrowseClick(name); }); });
    }
    if (!pageSpec.extraBox.empty())
        makeBox(pageSpec.extraBox, QStringLiteral("Don't send Patient ID"), QRect(3, 89, 134, 17));
    if (pageSpec.nameFormat) {
        auto* group = new QGroupBox(QStringLiteral("Name Format"), page);
        group->setObjectName(QStringLiteral("RadioGroupDigoraNameFormat"));
        group->setGeometry(3, 26, 182, 95);
        digoraNameFormat_ = new QButtonGroup(group);
        const auto& items = form_.RadioGroupDigoraNameFormat.Items;
        for (std::size_t i = 0; i < items.size(); ++i) {
            auto* radio = new QRadioButton(qs(items[i]), group);
            radio->setObjectName(QStringLiteral("RadioGroupDigoraNameFormat_%1").arg(i));
            radio->setGeometry(8, 18 + static_cast<int>(i) * 24, 166, 17);
            digoraNameFormat_->addButton(radio, static_cast<int>(i));
        }
        byName[u"RadioGroupDigoraNameFormat"] = group;
        connect(digoraNameFormat_, &QButtonGroup::idClicked, this, [this](int id) {
            if (id == form_.RadioGroupDigoraNameFormat.ItemIndex) return;  // no change, no click
            handle([&] {
                form_.RadioGroupDigoraNameFormat.ItemIndex = id;
                form_.RadioGroupDigoraNameFormatClick();
            });
        });
    }
    if (!layout.notes.memo.empty()) {
        const auto& notes = layout.notes;
        auto* group = new QGroupBox(QStringLiteral("Notes"), page);
        group->setObjectName(QStringLiteral("GroupBox_") + qs(notes.memo));
        group->setGeometry(notes.left, notes.top, kNotesWidth, notes.height);
        auto* memo = new QPlainTextEdit(group);
        memo->setObjectName(qs(notes.memo));
        memo->setGeometry(2, 15, kNotesWidth - 4, notes.height - 17);
        memo->setFrameShape(QFrame::NoFrame);
        memo->setReadOnly(true);
        memo->setEnabled(false);
        memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        QStringList lines;
        for (auto line : notes.lines)
            if (!line.empty()) lines << qs(line);
        memo->setPlainText(lines.join(QLatin1Char('\n')));
        byName[notes.memo] = group;
    }

    // Keyboard order: the page's own departure, or the usual one (box, each edit with its button, further box).
    std::vector<QWidget*> order;
    if (!layout.tabOrder.empty()) {
        for (auto name : layout.tabOrder) order.push_back(byName.at(name));
    } else {
        order.push_back(byName.at(pageSpec.enabledBox));
        for (int e = 0; e < pageSpec.editCount; ++e) {
            order.push_back(byName.at(pageSpec.edits[static_cast<std::size_t>(e)].name));
            for (int b = 0; b < pageSpec.browseCount; ++b)
                if (pageSpec.browses[static_cast<std::size_t>(b)].edit == e)
                    order.push_back(byName.at(pageSpec.browses[static_cast<std::size_t>(b)].name));
        }
        if (!pageSpec.extraBox.empty()) order.push_back(byName.at(pageSpec.extraBox));
        if (pageSpec.nameFormat) order.push_back(byName.at(u"RadioGroupDigoraNameFormat"));
        if (!layout.notes.memo.empty()) order.push_back(byName.at(layout.notes.memo));
    }
    for (std::size_t i = 0; i < order.size(); ++i) setTab(order[i], static_cast<int>(i));
}

void MainWindow::buildChoosePage(QWidget* page) {
    checkBoxAutoload_ = addCheckBox(page, "CheckBox_imaging_autoload",
                                    QStringLiteral("Automatically load all imaging systems"), QRect(0, 0, 548, 17), 1);
    connect(checkBoxAutoload_, &QCheckBox::toggled, this, [this](bool on) {
        handle([&] {
            form_.CheckBox_imaging_autoload.Checked = on;
            form_.CheckBox_imaging_autoloadClick();
        });
    });
    // The buttons are laid out to fit the panel however many there are, so it never needs to scroll.
    flowPanel1_ = new QWidget(page);
    flowPanel1_->setObjectName(QStringLiteral("FlowPanel1"));
    QPalette yellow = flowPanel1_->palette();
    yellow.setColor(QPalette::Window, kFlowPanelColour);
    flowPanel1_->setPalette(yellow);
    flowPanel1_->setAutoFillBackground(true);
    flowPanel1_->setGeometry(0, 17, kFlowPanelWidth, kFlowPanelHeight);
    setTab(flowPanel1_, 0);
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
}

// ---------------------------------------------------------------- events

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // A page's show handler runs each time it becomes visible; the window manager's own re-shows do not count.
    if (event->type() == QEvent::Show && !event->spontaneous()) {
        auto it = showHandlers_.find(watched);
        if (it != showHandlers_.end()) {
            auto handler = it->second;
            handle(handler);
        }
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::onFocusChanged(QWidget* old, QWidget* now) {
    // Focus moving to another window (a dialog) is not leaving a control, as on the designed platform.
    if (!old || !now || old->window() != this || now->window() != this) return;
    for (const auto& [name, edit] : imagingEdits_) {
        if (edit == old) {
            const std::u16string editName = name;
            handle([&] { form_.imagingEditExit(editName); });
            break;
        }
    }
    if (pageControl2_->isAncestorOf(old) && !pageControl2_->isAncestorOf(now))
        handle([this] { form_.PageControl2Exit(); });
}

void MainWindow::showEvent(QShowEvent* event) {
    // The native window exists now and is not yet mapped: the moment the window manager's hints count.
    if (!event->spontaneous()) applyMainWindowHints(this);
    QWidget::showEvent(event);
}

void MainWindow::changeEvent(QEvent* event) {
    // A window manager may still minimise the window from its keyboard menu; with no taskbar to bring it back the
    // only way out, DONE, would be gone, so it comes straight back.
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
                row->setSizeHint(QSize(0, kListItemHeight));
            }
        }
        if (listBoxPrinters_->currentRow() != form_.ListBoxPrinters.ItemIndex)
            listBoxPrinters_->setCurrentRow(form_.ListBoxPrinters.ItemIndex);
    }
    for (auto [combo, model] : {std::pair{comboBoxApptType_, &form_.ComboBoxApptType},
                                std::pair{comboBoxReceiptType_, &form_.ComboBoxReceiptType}}) {
        const QSignalBlocker blocker(combo);
        if (combo->currentText() != qs(model->Text)) combo->setEditText(qs(model->Text));
    }
    {
        const QSignalBlocker blocker(memo1_);
        const QString text = toLines(form_.Memo1.Lines).join(QLatin1Char('\n'));
        if (memo1_->toPlainText() != text) memo1_->setPlainText(text);
    }
    for (auto [box, model] :
         {std::pair{checkBoxLogging_, &form_.CheckBoxLogging}, std::pair{checkBoxSSL_, &form_.CheckBoxSSL},
          std::pair{checkBoxAutoload_, &form_.CheckBox_imaging_autoload}}) {
        const QSignalBlocker blocker(box);
        box->setChecked(model->Checked);
    }
    for (auto& [name, box] : imagingChecks_) {
        const QSignalBlocker blocker(box);
        box->setChecked(form_.imagingCheckBox(name).Checked);
    }
    for (auto& [name, edit] : imagingEdits_) {
        const QString text = qs(form_.imagingEdit(name).Text);
        if (edit->text() != text) {
            const QSignalBlocker blocker(edit);
            edit->setText(text);
        }
    }
    if (digoraNameFormat_) {
        const int index = form_.RadioGroupDigoraNameFormat.ItemIndex;
        if (digoraNameFormat_->checkedId() != index) {
            const QSignalBlocker blocker(digoraNameFormat_);
            if (index < 0) {
                digoraNameFormat_->setExclusive(false);
                for (auto* b : digoraNameFormat_->buttons()) b->setChecked(false);
                digoraNameFormat_->setExclusive(true);
            } else if (auto* b = digoraNameFormat_->button(index)) {
                b->setChecked(true);
                // Tab enters the group at its chosen item, as the toolkit does only for the last one focused.
                for (auto* other : digoraNameFormat_->buttons())
                    other->setFocusPolicy(other == b ? Qt::StrongFocus : Qt::ClickFocus);
            }
        }
    }
    renderPrintView();
    renderFlowPanel();
    // Pages last: switching them runs show handlers, which render again with their results.
    pageControl2_->setCurrentIndex(form_.PageControl2.ActivePageIndex);
    pageControl1_->setCurrentIndex(form_.PageControl1.ActivePageIndex);
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
    const int width = panel1_->width() - 2;
    const int height = std::min(printStatus_->heightForWidth(width), panel1_->height() - 2);
    printStatus_->setGeometry(1, panel1_->height() - 1 - height, width, height);
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
        auto* button = new QPushButton(qs(model.Caption), flowPanel1_);
        button->setObjectName(QStringLiteral("ImagingButton%1").arg(index));
        button->setAutoDefault(false);
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
