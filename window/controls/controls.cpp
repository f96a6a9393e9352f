#include "controls.h"

#include "accessible.h"

#include <QAccessible>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPalette>
#include <QToolTip>

namespace {

std::function<void()> &afterSignalCheck()
{
    static std::function<void()> check;
    return check;
}

void checkAfterSignal()
{
    if (const auto &check = afterSignalCheck())
        check();
}

} // namespace

void SetAfterSignalCheck(std::function<void()> check)
{
    afterSignalCheck() = std::move(check);
}

TColor ColorToRGB(TColor color)
{
    if (color >= 0)
        return color;
    const QPalette::ColorRole role = color == clBtnFace ? QPalette::Button : QPalette::Window;
    const QColor rgb = QGuiApplication::palette().color(QPalette::Active, role);
    return MakeColor(rgb.red(), rgb.green(), rgb.blue());
}

TScrollBar::TScrollBar(QWidget *parent)
    : QScrollBar(Qt::Horizontal, parent)
{
    InstallControlAccessibility();
    setRange(0, 255);
    setSingleStep(1);
    // The page step equals the line step, so a trough click and Page Up/Down
    // move by one; a page of 1 in a range of 256 also keeps the thumb at its
    // fixed minimum length.
    setPageStep(1);
    setFocusPolicy(Qt::StrongFocus);
    // Qt's own menu offers absolute jumps in English; the slider has none.
    setContextMenuPolicy(Qt::NoContextMenu);
    // QAbstractSlider::setValue clamps first and emits valueChanged only when
    // the stored value changes, before it returns.
    connect(this, &QScrollBar::valueChanged, this, &TScrollBar::changed);
}

void TScrollBar::setPosition(int position)
{
    setValue(position);
    checkAfterSignal();
}

void TScrollBar::keyPressEvent(QKeyEvent *event)
{
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        event->ignore();
        return;
    }
    // QScrollBar's inverted controls would make Left and Page Up increase a
    // horizontal bar: the keys are mapped here, toward 0 or toward 255.
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_PageUp:
        setPosition(position() - singleStep());
        break;
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_PageDown:
        setPosition(position() + singleStep());
        break;
    case Qt::Key_Home:
        setPosition(minimum());
        break;
    case Qt::Key_End:
        setPosition(maximum());
        break;
    default:
        event->ignore();
        return;
    }
    event->accept();
}

void TScrollBar::paintEvent(QPaintEvent *event)
{
    QScrollBar::paintEvent(event);
    // The style draws no focus mark on a scroll bar; a keyboard user needs
    // to see which slider the arrow keys move.
    if (hasFocus()) {
        QPainter painter(this);
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.drawRect(rect().adjusted(1, 1, -1, -1));
    }
}

TPanel::TPanel(QWidget *parent)
    : QFrame(parent)
{
    InstallControlAccessibility();
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);
}

void TPanel::setFeatures(Describe describe, CopyMenu copyMenu)
{
    m_describe = std::move(describe);
    m_copyMenu = std::move(copyMenu);
}

QString TPanel::description() const
{
    return m_describe ? m_describe(rgb()) : QString();
}

bool TPanel::event(QEvent *event)
{
    // The tooltip is worked out when the pointer rests on the panel, not at
    // every change of colour.
    if (event->type() == QEvent::ToolTip) {
        QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(), description(), this);
        return true;
    }
    return QFrame::event(event);
}

void TPanel::contextMenuEvent(QContextMenuEvent *event)
{
    if (m_copyMenu)
        m_copyMenu(rgb(), event->globalPos(), this);
    else
        QFrame::contextMenuEvent(event);
}

void TPanel::setColor(TColor color)
{
    if (color == m_color)
        return;
    m_color = color;
    update();
    if (QAccessible::isActive()) {
        QAccessibleEvent changed(this, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&changed);
    }
}

void TPanel::paintEvent(QPaintEvent *event)
{
    {
        QPainter painter(this);
        painter.fillRect(rect(), ToQColor(rgb()));
    }
    QFrame::paintEvent(event);  // the bevel, over the fill
}

TLabel::TLabel(QWidget *parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
}

void TLabel::setCaption(const QString &text)
{
    if (text == QLabel::text())
        return;
    // A selectable label lays its text out as a document; the selection goes
    // with the old text anyway, so the cheap plain label comes back until
    // the user selects again.
    if (textInteractionFlags() != Qt::NoTextInteraction)
        setTextInteractionFlags(Qt::NoTextInteraction);
    QLabel::setText(text);
    // Sizing lays the text out; Qt compresses these requests, so a pick that
    // rewrites the label three times sizes it once.
    QCoreApplication::postEvent(this, new QEvent(QEvent::LayoutRequest));
}

bool TLabel::event(QEvent *event)
{
    if (event->type() == QEvent::LayoutRequest) {
        adjustSize();
        return true;
    }
    return QLabel::event(event);
}

void TLabel::setSelectable(bool selectable)
{
    m_selectable = selectable;
    if (!selectable)
        setTextInteractionFlags(Qt::NoTextInteraction);
}

void TLabel::startSelecting()
{
    if (m_selectable && textInteractionFlags() == Qt::NoTextInteraction)
        setTextInteractionFlags(Qt::TextSelectableByMouse);
}

void TLabel::mousePressEvent(QMouseEvent *event)
{
    startSelecting();
    QLabel::mousePressEvent(event);
}

void TLabel::contextMenuEvent(QContextMenuEvent *event)
{
    // Qt's label offers no menu for plain selectable text; this one has the
    // edit boxes' copy and select-all, in the same (translated) words.
    if (!m_selectable) {
        QLabel::contextMenuEvent(event);
        return;
    }
    startSelecting();
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // A popup takes no font from its parent by itself.
    menu->setFont(window()->font());
    QAction *copy = menu->addAction(QCoreApplication::translate("QWidgetTextControl", "&Copy"), this,
                                    [this] { QGuiApplication::clipboard()->setText(selectedText()); });
    copy->setEnabled(hasSelectedText());
    menu->addSeparator();
    menu->addAction(QCoreApplication::translate("QWidgetTextControl", "Select All"), this,
                    [this] { setSelection(0, int(text().size())); });
    menu->popup(event->globalPos());
}

TEdit::TEdit(QWidget *parent)
    : QLineEdit(parent)
{
    InstallControlAccessibility();
}

void TEdit::changeText(const QString &text)
{
    if (text != QLineEdit::text()) {
        QLineEdit::setText(text);
        // A name longer than the box shows from its start, not its end.
        setCursorPosition(0);
        checkAfterSignal();
    }
}

TButton::TButton(QWidget *parent)
    : QPushButton(parent)
{
    InstallControlAccessibility();
}

void TButton::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        && !(event->modifiers() & ~Qt::KeypadModifier)) {
        animateClick();
        return;
    }
    QPushButton::keyPressEvent(event);
}

static qint64 monotonicMilliseconds()
{
    static const QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer.elapsed();
}

TListBox::TListBox(QWidget *parent)
    : QListWidget(parent)
    , m_clock(monotonicMilliseconds)
{
    InstallControlAccessibility();
    setSelectionMode(QAbstractItemView::SingleSelection);
    // A long name is cut at the right edge, as the designed width allows.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Every row is one line of the same font: the view need not lay out
    // each name to find where a row stands.
    setUniformItemSizes(true);
    // Listen to the selection, not to the current row: an assistive
    // technology selects a row without making it current.
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TListBox::onSelectionChanged);
}

int TListBox::itemIndex() const
{
    const QModelIndexList rows = selectionModel()->selectedIndexes();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void TListBox::setItemIndex(int row)
{
    m_settingFromCode = true;
    if (row >= 0 && row < count()) {
        setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
        scrollToItem(item(row));
    } else {
        clearSelection();
    }
    m_settingFromCode = false;
}

void TListBox::onSelectionChanged()
{
    if (m_settingFromCode)
        return;
    m_clickRaisedByPress = true;
    emit clickRaised();
}

void TListBox::mousePressEvent(QMouseEvent *event)
{
    m_clickRaisedByPress = false;
    QListWidget::mousePressEvent(event);
    // A click on the row that is already selected changes no selection, but
    // it is still a pick: it brings that row's colour back after the sliders
    // have moved away from it.
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!m_clickRaisedByPress && event->button() == Qt::LeftButton && index.isValid()
        && index.row() == itemIndex())
        emit clickRaised();
}

QItemSelectionModel::SelectionFlags TListBox::selectionCommand(const QModelIndex &index,
                                                               const QEvent *event) const
{
    QItemSelectionModel::SelectionFlags flags = QListWidget::selectionCommand(index, event);
    // Ctrl+click would deselect the only selected row; a single-selection
    // list keeps one row selected once the user has picked one.
    if (index.isValid() && (flags & QItemSelectionModel::Deselect))
        flags = QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
    return flags;
}

void TListBox::keyPressEvent(QKeyEvent *event)
{
    const bool command = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (!command && event->key() == Qt::Key_Backspace) {
        typeAhead(QString(), true);
        return;
    }
    const QString text = event->text();
    if (!command && !text.isEmpty() && text.at(0).isPrint()) {
        // Handled here only: Qt's own keyboard search would move the
        // selection a second time.
        typeAhead(text, false);
        return;
    }
    QListWidget::keyPressEvent(event);
}

void TListBox::typeAhead(const QString &text, bool backspace)
{
    const qint64 now = m_clock();
    if (backspace) {
        m_prefix.chop(1);
        // With nothing typed there is nothing to look for.
        if (m_prefix.isEmpty()) {
            m_lastKeyTime = now;
            return;
        }
    } else {
        if (!m_lastKeyTime || now - *m_lastKeyTime >= TypeAheadPause)
            m_prefix.clear();
        m_prefix += text;
    }
    // Backspace counts as a keystroke of the search, so typing on right
    // after it extends the shortened prefix.
    m_lastKeyTime = now;

    int found = -1;
    for (int row = 0; row < count(); ++row) {
        if (item(row)->text().startsWith(m_prefix, Qt::CaseInsensitive)) {
            found = row;
            break;
        }
    }
    if (found < 0)
        return;
    setItemIndex(found);
    emit clickRaised();
}
