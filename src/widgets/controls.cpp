// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "widgets/controls.h"

#include <QEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QStyledItemDelegate>
#include <QTextDocument>

#include <utility>

namespace tankedosan::widgets {

namespace {
// The current row is read as the button goes down, before the press moves it.
class ClickAgain : public QObject
{
public:
    ClickAgain(QListWidget *list, std::function<void()> again)
        : QObject(list)
        , m_list(list)
    {
        list->viewport()->installEventFilter(this);
        connect(list, &QListWidget::itemClicked, this, [this, again = std::move(again)](QListWidgetItem *item) {
            if (m_list->row(item) == m_rowBeforePress)
                again();
        });
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonPress)
            m_rowBeforePress = m_list->currentRow();
        return QObject::eventFilter(watched, event);
    }

private:
    QListWidget *m_list;
    int m_rowBeforePress = -1;
};
} // namespace

void onClickAgain(QListWidget *list, std::function<void()> again)
{
    new ClickAgain(list, std::move(again));
}

int markedRow(const QAbstractItemView *list)
{
    const QModelIndex current = list->currentIndex();
    return current.isValid() && list->selectionModel()->isSelected(current) ? current.row() : -1;
}

QString boxText(const QPlainTextEdit *box)
{
    QString text = box->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    return text;
}

namespace {

class FrontWindowDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (option->widget && option->widget->isActiveWindow())
            option->state |= QStyle::State_Active;
    }
};

} // namespace

void readableLists(QWidget *window)
{
    // A combo box's drop-down list is a window of its own, drawn by the combo box's own delegate: left alone.
    for (QAbstractItemView *list : window->findChildren<QAbstractItemView *>()) {
        if (list->window() == window)
            list->setItemDelegate(new FrontWindowDelegate(list));
    }
}

} // namespace tankedosan::widgets
