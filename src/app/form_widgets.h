#pragma once

// Widgets built from a dialog template, and the report-style result list.

#include <QComboBox>
#include <QHeaderView>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <functional>
#include <map>
#include <vector>

#include "screens/dialog_template.h"
#include "screens/layout_relayout.h"
#include "screens/main_screen.h"

class QLabel;

namespace velomar {

// Heights the result list gives its header and its rows; 0 keeps the style's own.
class FixedHeightHeader : public QHeaderView {
  public:
    explicit FixedHeightHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}
    void setFixedSectionHeight(int pixels) { m_height = pixels; }
    QSize sizeHint() const override;

  private:
    int m_height = 0;
};

class FixedHeightRows : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void setRowHeight(int pixels) { m_height = pixels; }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

  private:
    int m_height = 0;
};

// The result list: four centred columns, full-row single selection, headers that do not
// sort. Row i shows slot i of the page; a full page shows without scrolling.
class ResultListWidget : public QTreeWidget, public ResultListView {
  public:
    explicit ResultListWidget(QWidget* parent = nullptr);

    void clearRows() override;
    void insertRow(const ResultRow& row) override;

    // Inserts the four columns once; a second call changes nothing and returns false.
    bool insertColumns(const ColumnWidths& widths);
    // The rows of a full page on this screen; header and rows are fitted to the list's height.
    void setFullPage(int rows);
    int rowHeight() const { return m_rowHeight; }
    int headerHeight() const { return header()->sizeHint().height(); }

    // Called with the tapped (or, from the keyboard, chosen) row's slot, or -1 for a tap
    // outside the rows.
    std::function<void(int)> onRowTapped;

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    // Enter or Space on the chosen row is a tap on it.
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void fitRows();

    FixedHeightHeader* m_header;
    FixedHeightRows* m_rows;
    int m_fullPage = 0;
    int m_rowHeight = 0;
};

// A drop-down list without typing whose open list drops below the closed box, at most as
// high as its dialog item says, rather than the style's own height (a whole screen for long
// lists).
class DropDownList : public QComboBox {
  public:
    explicit DropDownList(QWidget* parent = nullptr);
    // Pixels of the open list at most; 0: as high as its entries, within the screen.
    void setDroppedHeight(int pixels) { m_droppedHeight = pixels; }
    int droppedHeight() const { return m_droppedHeight; }
    void showPopup() override;

  private:
    int m_droppedHeight = 0;
};

// The application icon, drawn in code.
QPixmap ApplicationIcon(int size);

// The controls of one template as child widgets of `parent`, placed at their rectangles.
class TemplateForm : public RelayoutTarget {
  public:
    TemplateForm(QWidget& parent, const DialogTemplate& dialog, DialogUnits units);

    QWidget* control(int id) const;
    template <class T>
    T* controlAs(int id) const {
        return dynamic_cast<T*>(control(id));
    }
    DialogUnits units() const { return m_units; }

    bool hasControl(int id) const override;
    void setControlText(int id, std::u16string_view text) override;
    void setControlIcon(int id) override;
    void reselect(int id) override;
    bool applyMoves(const std::vector<ControlMove>& moves) override;

  private:
    void place(QWidget& widget, const PixelRect& rect);

    std::map<int, QWidget*> m_controls;  // the first control of each id
    DialogUnits m_units;
    int m_comboHeight = 0;  // pixels of a closed drop-down list
};

}  // namespace velomar
