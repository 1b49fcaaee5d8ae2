#pragma once

#include <QIcon>
#include <QRect>
#include <QString>
#include <QWidget>

#include <vector>

namespace platform {

// A navigation bar in the manner of Outlook: groups with caption buttons,
// one group open at a time showing its items as large icons with captions
// under them, one selected item. A click on an item selects it and emits
// itemClicked; a click on a group caption opens that group, or closes it
// when it is already open. With the focus, the arrow keys move the
// selection inside the open group and Enter or Space clicks it.
class ButtonBar : public QWidget
{
    Q_OBJECT

public:
    explicit ButtonBar(QWidget *parent = nullptr);

    // Appends a group and returns its index.
    int addGroup(const QString &caption);
    // Appends an item to a group; keys are unique over the whole bar.
    void addItem(int group, const QString &key, const QString &caption, const QIcon &icon);
    void clear();

    int groupCount() const { return static_cast<int>(m_groups.size()); }
    QString groupCaption(int group) const;
    int itemCount(int group) const;
    QString itemKey(int group, int index) const;
    QString itemCaption(const QString &key) const;
    int groupOfItem(const QString &key) const; // -1 for an unknown key

    // The open group, -1 when every group is closed.
    int openGroup() const { return m_openGroup; }
    void setOpenGroup(int group);

    // The selected item's key, empty when none. Selecting an item opens its
    // group; an unknown or empty key clears the selection.
    QString selectedKey() const;
    void setSelectedKey(const QString &key);

    // Where a group's caption button and an item lie in the widget (empty
    // when the item's group is closed).
    QRect groupRect(int group) const;
    QRect itemRect(const QString &key) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void itemClicked(const QString &key);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    struct Item
    {
        QString key;
        QString caption;
        QIcon icon;
    };
    struct Group
    {
        QString caption;
        std::vector<Item> items;
    };
    // A point's target: a group caption (item < 0) or an item.
    struct HitTarget
    {
        int group = -1;
        int item = -1;
        bool operator==(const HitTarget &) const = default;
    };

    int headerHeight() const;
    int itemHeight() const;
    int iconExtent() const;
    int itemsTop() const;
    QRect itemRectAt(int group, int item) const;
    HitTarget hitTest(const QPoint &pos) const;
    bool findKey(const QString &key, int &group, int &item) const;
    void clickItem(int group, int item);

    std::vector<Group> m_groups;
    int m_openGroup = -1;
    int m_selGroup = -1;
    int m_selItem = -1;
    HitTarget m_pressed;
    HitTarget m_hover;
};

} // namespace platform
