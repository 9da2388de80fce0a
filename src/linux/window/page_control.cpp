#include "linux/window/page_control.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>
#include <QStylePainter>

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
            choose((owner_->current_ + 1) % n);
        else if (event->key() == Qt::Key_Left || event->key() == Qt::Key_Up)
            choose((owner_->current_ + n - 1) % n);
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
    void choose(int index) {
        if (index == owner_->current_) return;
        if (owner_->onTabChosen)
            owner_->onTabChosen(index);
        else
            owner_->setCurrentIndex(index);
    }

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

PageControl::PageControl(QWidget* parent) : QWidget(parent), strip_(new TabStrip(this)) {}

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
