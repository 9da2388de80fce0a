#include "linux/window/page_control.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>
#include <QStylePainter>
#include <map>

namespace veltrane::ui {

namespace {
constexpr int kRowHeight = 20;  // one row of tabs at the window's font
constexpr int kTabPadding = 2;  // beyond what the style asks for a tab
constexpr int kFrame = 4;       // the page frame around a page
}  // namespace

// The row(s) of tabs. It takes the focus on a click, as a page control does, so leaving an edit by clicking a
// tab counts as leaving it.
class TabStrip : public QWidget {
public:
    explicit TabStrip(PageControl* owner) : QWidget(owner), owner_(owner) {
        setFocusPolicy(Qt::StrongFocus);
        setObjectName(owner->objectName() + QStringLiteral("_tabs"));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        for (int i = 0; i < owner_->count(); ++i) {
            if (i == owner_->current_) continue;
            paintTab(painter, i);
        }
        if (owner_->current_ >= 0) paintTab(painter, owner_->current_);
    }

    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) return;
        for (int i = 0; i < owner_->count(); ++i) {
            if (owner_->tabRect(i).translated(-pos()).contains(event->position().toPoint())) {
                choose(i);
                return;
            }
        }
    }

    void keyPressEvent(QKeyEvent* event) override {
        const int n = owner_->count();
        if (n == 0) return QWidget::keyPressEvent(event);
        if (event->key() == Qt::Key_Right || event->key() == Qt::Key_Down)
            owner_->chooseNeighbour(1);
        else if (event->key() == Qt::Key_Left || event->key() == Qt::Key_Up)
            owner_->chooseNeighbour(-1);
        else
            QWidget::keyPressEvent(event);
    }

    void focusInEvent(QFocusEvent* event) override {
        update();
        QWidget::focusInEvent(event);
    }
    void focusOutEvent(QFocusEvent* event) override {
        update();
        QWidget::focusOutEvent(event);
    }

private:
    void choose(int index) { owner_->choose(index); }

    void paintTab(QStylePainter& painter, int index) {
        QStyleOptionTab option;
        option.initFrom(this);
        option.shape = QTabBar::RoundedNorth;
        option.text = owner_->caption(index);
        option.rect = owner_->tabRect(index).translated(-pos());
        option.state &= ~QStyle::State_HasFocus;
        option.position = QStyleOptionTab::Middle;
        option.selectedPosition = QStyleOptionTab::NotAdjacent;
        if (index == owner_->current_) {
            option.state |= QStyle::State_Selected;
            if (hasFocus()) option.state |= QStyle::State_HasFocus;
        }
        painter.drawControl(QStyle::CE_TabBarTab, option);
        if (index == owner_->current_ && hasFocus()) {
            QStyleOptionFocusRect focus;
            focus.initFrom(this);
            focus.rect = option.rect.adjusted(3, 3, -3, -2);
            painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
        }
    }

    PageControl* owner_;
};

// One tab as a screen reader sees it: a page tab with its caption, selected when its page shows.
class TabAccessible final : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    TabAccessible(PageControl* owner, int index) : owner_(owner), index_(index) {}

    bool isValid() const override { return owner_ && index_ < owner_->count(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return parent() ? parent()->window() : nullptr; }
    QAccessibleInterface* parent() const override {
        return owner_ ? QAccessible::queryAccessibleInterface(owner_->tabStrip()) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name && isValid() ? owner_->caption(index_) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!isValid() || !owner_->isVisible()) return {};
        const QRect local = owner_->tabRect(index_);
        return QRect(owner_->mapToGlobal(local.topLeft()), local.size());
    }
    QAccessible::Role role() const override { return QAccessible::PageTab; }
    QAccessible::State state() const override {
        QAccessible::State s;
        if (!isValid()) return s;
        s.selectable = true;
        s.focusable = true;
        s.invisible = !owner_->isVisible();
        const bool current = index_ == owner_->currentIndex();
        s.selected = current;
        s.focused = current && owner_->tabStrip()->hasFocus();
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override {
        if (name == pressAction() && isValid()) owner_->choose(index_);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<PageControl> owner_;
    int index_;
};

// The tab rows as a page tab list whose children are the tabs, so a screen reader can list the pages and hear
// which one is selected; the toolkit knows only tab bars of its own.
class TabStripAccessible final : public QAccessibleWidget {
public:
    explicit TabStripAccessible(TabStrip* strip, PageControl* owner)
        : QAccessibleWidget(strip, QAccessible::PageTabList), owner_(owner) {}
    ~TabStripAccessible() override {
        for (const auto& [index, id] : tabs_) QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return owner_ ? owner_->count() : 0; }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount()) return nullptr;
        if (auto it = tabs_.find(index); it != tabs_.end()) return QAccessible::accessibleInterface(it->second);
        auto* tab = new TabAccessible(owner_, index);
        tabs_[index] = QAccessible::registerAccessibleInterface(tab);
        return tab;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (const auto& [index, id] : tabs_)
            if (QAccessible::accessibleInterface(id) == child) return index;
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        for (int i = 0; i < childCount(); ++i)
            if (child(i)->rect().contains(x, y)) return child(i);
        return nullptr;
    }
    QAccessibleInterface* focusChild() const override {
        return owner_ && widget()->hasFocus() ? child(owner_->currentIndex()) : nullptr;
    }

private:
    QPointer<PageControl> owner_;
    mutable std::map<int, QAccessible::Id> tabs_;
};

namespace {
QAccessibleInterface* tabStripAccessible(const QString&, QObject* object) {
    auto* strip = dynamic_cast<TabStrip*>(object);
    return strip ? new TabStripAccessible(strip, static_cast<PageControl*>(strip->parentWidget())) : nullptr;
}
}  // namespace

PageControl::PageControl(QWidget* parent) : QWidget(parent), strip_(new TabStrip(this)) {
    static const bool installed = [] {
        QAccessible::installFactory(&tabStripAccessible);
        return true;
    }();
    (void)installed;
}

void PageControl::choose(int index) {
    if (index == current_) return;
    if (onTabChosen)
        onTabChosen(index);
    else
        setCurrentIndex(index);
}

void PageControl::chooseNeighbour(int delta) {
    const int n = count();
    if (n > 1) choose(((current_ + delta) % n + n) % n);
}

QWidget* PageControl::tabStrip() const { return strip_; }

QWidget* PageControl::addPage(const QString& objectName, const QString& caption) {
    auto* page = new QWidget(this);
    page->setObjectName(objectName);
    page->setAutoFillBackground(false);
    page->hide();
    pages_.push_back(page);
    captions_.push_back(caption);
    if (current_ < 0) {
        current_ = 0;
        page->show();
    }
    relayout();
    return page;
}

void PageControl::setCurrentIndex(int index) {
    if (index < 0 || index >= count() || index == current_) return;
    // Hide first, so a page's show handler sees the page it replaces already gone.
    if (current_ >= 0) page(current_)->hide();
    current_ = index;
    relayout();
    page(current_)->show();
    // Said aloud: the tab that became current is selected, and focused when the tabs have the focus (the toolkit
    // drops both while no assistive technology listens).
    if (strip_->hasFocus()) {
        QAccessibleEvent focus(strip_, QAccessible::Focus);
        focus.setChild(current_);
        QAccessible::updateAccessibility(&focus);
    }
    QAccessibleEvent selection(strip_, QAccessible::Selection);
    selection.setChild(current_);
    QAccessible::updateAccessibility(&selection);
}

QRect PageControl::tabRect(int index) const { return tabRects_.at(static_cast<std::size_t>(index)); }

void PageControl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    relayout();
}

int PageControl::tabWidth(int index) const {
    QStyleOptionTab option;
    option.initFrom(this);
    option.shape = QTabBar::RoundedNorth;
    option.text = caption(index);
    const QFontMetrics metrics(font());
    const QSize contents(
        metrics.horizontalAdvance(option.text) + style()->pixelMetric(QStyle::PM_TabBarTabHSpace, &option, this),
        kRowHeight);
    return style()->sizeFromContents(QStyle::CT_TabBarTab, &option, contents, this).width() + kTabPadding;
}

void PageControl::relayout() {
    const int available = width() - 4;
    // Fill rows left to right in tab order; a tab that does not fit starts a new row.
    std::vector<std::vector<int>> rows(1);
    std::vector<int> widths;
    int used = 0;
    for (int i = 0; i < count(); ++i) {
        const int w = tabWidth(i);
        widths.push_back(w);
        if (!rows.back().empty() && used + w > available) {
            rows.emplace_back();
            used = 0;
        }
        rows.back().push_back(i);
        used += w;
    }
    rows_ = static_cast<int>(rows.size());
    // The row holding the selected tab is drawn next to the page, the others keep their cyclic order above it.
    int selectedRow = 0;
    for (int r = 0; r < rows_; ++r)
        for (int i : rows[static_cast<std::size_t>(r)])
            if (i == current_) selectedRow = r;
    tabRects_.assign(static_cast<std::size_t>(count()), QRect());
    for (int r = 0; r < rows_; ++r) {
        const auto& row = rows[static_cast<std::size_t>(r)];
        const int visualRow = (r + rows_ - 1 - selectedRow) % rows_;
        int natural = 0;
        for (int i : row) natural += widths[static_cast<std::size_t>(i)];
        // With several rows each row is stretched to the full width, so the rows line up as one block.
        const int extra = rows_ > 1 ? available - natural : 0;
        const int n = static_cast<int>(row.size());
        int x = 2;
        for (int k = 0; k < n; ++k) {
            const int index = row[static_cast<std::size_t>(k)];
            const int w = widths[static_cast<std::size_t>(index)] + extra / n + (k < extra % n ? 1 : 0);
            tabRects_[static_cast<std::size_t>(index)] = QRect(x, 2 + visualRow * kRowHeight, w, kRowHeight);
            x += w;
        }
    }
    const int stripHeight = rows_ * kRowHeight + 2;
    strip_->setGeometry(0, 0, width(), stripHeight);
    const QRect area(kFrame, stripHeight + 2, width() - 2 * kFrame, height() - stripHeight - 2 - kFrame);
    for (QWidget* p : pages_) p->setGeometry(area);
    strip_->update();
}

void PageControl::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    frame.shape = QTabBar::RoundedNorth;
    frame.rect = QRect(0, rows_ * kRowHeight + 1, width(), height() - rows_ * kRowHeight - 1);
    painter.drawPrimitive(QStyle::PE_FrameTabWidget, frame);
}

}  // namespace veltrane::ui
