#pragma once
// A tabbed page control whose tabs wrap onto as many rows as they need, so every tab stays visible and
// clickable (the toolkit's own tab bar scrolls instead).

#include <QWidget>
#include <functional>
#include <vector>

namespace veltrane::ui {

class TabStrip;

class PageControl : public QWidget {
    Q_OBJECT
public:
    explicit PageControl(QWidget* parent);

    // Adds a page with its tab caption; the page becomes a child of the control.
    QWidget* addPage(const QString& objectName, const QString& caption);
    int count() const { return static_cast<int>(pages_.size()); }
    QWidget* page(int index) const { return pages_.at(static_cast<std::size_t>(index)); }
    QString caption(int index) const { return captions_.at(static_cast<std::size_t>(index)); }
    int currentIndex() const { return current_; }
    // Shows the page at index (the others hidden); emits nothing.
    void setCurrentIndex(int index);
    // Tab geometry in the control's coordinates, for tests and for painting.
    QRect tabRect(int index) const;
    int rowCount() const { return rows_; }
    QWidget* tabStrip() const;
    // Picks the tab delta places on, round the ends, as the user would (Ctrl+Tab, Ctrl+PgDn).
    void chooseNeighbour(int delta);

    // Called when the user picks a tab, before the page is switched; the owner decides by calling setCurrentIndex.
    std::function<void(int)> onTabChosen;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    friend class TabStrip;
    friend class TabStripAccessible;
    friend class TabAccessible;
    void choose(int index);
    void relayout();
    int tabWidth(int index) const;

    TabStrip* strip_;
    std::vector<QWidget*> pages_;
    std::vector<QString> captions_;
    std::vector<QRect> tabRects_;
    int current_ = -1;
    int rows_ = 1;
};

}  // namespace veltrane::ui
