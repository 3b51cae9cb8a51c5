#include "platform/QtWindowManager.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QCursor>
#include <QEvent>
#include <QFocusFrame>
#include <QGroupBox>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRubberBand>
#include <QScopedValueRollback>
#include <QScreen>
#include <QScrollArea>
#include <QSizeGrip>
#include <QTabBar>
#include <QTextDocumentFragment>
#include <QTextEdit>
#include <QWidget>

#include <algorithm>
#include <tuple>

namespace platform {

namespace {

bool isHelper(const QWidget *w)
{
    switch (w->windowType()) {
    case Qt::ToolTip:
    case Qt::Popup:
    case Qt::Desktop:
        return true;
    default:
        break;
    }
    if (qobject_cast<const QRubberBand *>(w) || qobject_cast<const QFocusFrame *>(w)
        || qobject_cast<const QSizeGrip *>(w))
        return true;
    const QByteArray cls = w->metaObject()->className();
    return cls.startsWith('Q')
        && (cls.contains("Private") || cls == "QToolBarExtension" || cls == "QSystemTrayIconSys");
}

bool isSingleWindow(const QWidget *w)
{
    return qobject_cast<const QComboBox *>(w) || qobject_cast<const QAbstractSpinBox *>(w)
        || qobject_cast<const QLineEdit *>(w) || qobject_cast<const QTabBar *>(w)
        || qobject_cast<const QMenuBar *>(w) || qobject_cast<const QCalendarWidget *>(w)
        || qobject_cast<const QKeySequenceEdit *>(w) || qobject_cast<const QAbstractScrollArea *>(w);
}

QString labelText(const QLabel *label)
{
    QString text = label->text();
    // Markup needs a '<': most labels are told plain at one search of
    // their text, before the closer look.
    const Qt::TextFormat format = label->textFormat();
    const bool rich = format == Qt::RichText
        || (format == Qt::AutoText && text.contains(QLatin1Char('<')) && Qt::mightBeRichText(text));
    if (rich)
        text = QTextDocumentFragment::fromHtml(text).toPlainText();
    return text.isEmpty() ? label->windowTitle() : text;
}

} // namespace

QtWindowManager::QtWindowManager(QObject *parent) : QObject(parent)
{
    qApp->installEventFilter(this);
    // Windows opened before the manager have no known order; the one in
    // use is at least known to be in front.
    if (QWidget *active = QApplication::activeWindow())
        bringToFront(active);
}

QtWindowManager::~QtWindowManager()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

bool QtWindowManager::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Create:
        if (watched->isWidgetType()) {
            handleOf(static_cast<QWidget *>(watched));
            m_desktop.reset();
        }
        break;
    case QEvent::ChildAdded:
    case QEvent::ChildRemoved:
        if (static_cast<QChildEvent *>(event)->child()->isWidgetType())
            m_desktop.reset();
        break;
    case QEvent::ParentChange:
    case QEvent::ZOrderChange:
        if (watched->isWidgetType())
            m_desktop.reset();
        break;
    case QEvent::Show:
    case QEvent::WindowActivate:
        if (watched->isWidgetType() && static_cast<QWidget *>(watched)->isWindow())
            bringToFront(static_cast<QWidget *>(watched));
        break;
    default:
        break;
    }
    return false;
}

Hwnd QtWindowManager::handleOf(QWidget *widget)
{
    if (!widget)
        return 0;
    if (const auto found = m_handles.constFind(widget); found != m_handles.constEnd())
        return *found;
    const Hwnd handle = m_nextHandle++;
    m_handles.insert(widget, handle);
    m_widgets.insert(handle, widget);
    // Only the address is used here: the widget is already gone.
    connect(widget, &QObject::destroyed, this, [this, handle](QObject *object) {
        m_handles.remove(object);
        m_widgets.remove(handle);
        m_front.removeOne(handle);
        m_desktop.reset();
        if (m_walking > 0)
            m_goneDuringWalk.insert(handle);
    });
    return handle;
}

QWidget *QtWindowManager::widgetOf(Hwnd window)
{
    return m_widgets.value(window, nullptr);
}

void QtWindowManager::bringToFront(QWidget *window)
{
    const Hwnd handle = handleOf(window);
    if (!m_front.isEmpty() && m_front.constFirst() == handle)
        return;
    m_front.removeOne(handle);
    m_front.prepend(handle);
    m_desktop.reset();
}

QList<QWidget *> QtWindowManager::topLevelWindows()
{
    QHash<Hwnd, qsizetype> place;
    for (qsizetype i = 0; i < m_front.size(); ++i)
        place.insert(m_front.at(i), i);

    using Rank = std::tuple<bool, qsizetype, Hwnd>;
    QList<std::pair<Rank, QWidget *>> ranked;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (isHelper(w))
            continue;
        const Hwnd handle = handleOf(w);
        const bool onTop = w->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        ranked.append({Rank{!onTop, place.value(handle, m_front.size()), handle}, w});
    }
    std::sort(ranked.begin(), ranked.end(),
              [](const auto &a, const auto &b) { return a.first < b.first; });

    QList<QWidget *> out;
    out.reserve(ranked.size());
    for (const auto &r : ranked)
        out.append(r.second);
    return out;
}

QtWindowManager::TextKind QtWindowManager::kindOf(const QWidget *w)
{
    if (w->isWindow())
        return TextKind::Title;
    if (qobject_cast<const QLabel *>(w))
        return TextKind::Label;
    if (qobject_cast<const QAbstractButton *>(w))
        return TextKind::Button;
    if (qobject_cast<const QLineEdit *>(w))
        return TextKind::LineEdit;
    if (qobject_cast<const QComboBox *>(w))
        return TextKind::ComboBox;
    if (qobject_cast<const QGroupBox *>(w))
        return TextKind::GroupBox;
    if (qobject_cast<const QAbstractSpinBox *>(w))
        return TextKind::SpinBox;
    if (qobject_cast<const QPlainTextEdit *>(w))
        return TextKind::PlainTextEdit;
    if (qobject_cast<const QTextEdit *>(w))
        return TextKind::TextEdit;
    return TextKind::Title;
}

QString QtWindowManager::textOf(const QWidget *w, TextKind kind)
{
    switch (kind) {
    case TextKind::Title:
        break;
    case TextKind::Label:
        return labelText(static_cast<const QLabel *>(w));
    case TextKind::Button:
        return static_cast<const QAbstractButton *>(w)->text();
    case TextKind::LineEdit:
        return static_cast<const QLineEdit *>(w)->text();
    case TextKind::ComboBox:
        return static_cast<const QComboBox *>(w)->currentText();
    case TextKind::GroupBox:
        return static_cast<const QGroupBox *>(w)->title();
    case TextKind::SpinBox:
        return static_cast<const QAbstractSpinBox *>(w)->text();
    case TextKind::PlainTextEdit:
        return static_cast<const QPlainTextEdit *>(w)->toPlainText();
    case TextKind::TextEdit:
        return static_cast<const QTextEdit *>(w)->toPlainText();
    }
    return w->windowTitle();
}

void QtWindowManager::append(QWidget *w, Walk &out)
{
    out.push_back(Walked{w, handleOf(w), w->windowFlags(), kindOf(w)});
}

void QtWindowManager::appendDescendants(QWidget *parent, Walk &out)
{
    if (isSingleWindow(parent)) {
        if (auto *area = qobject_cast<QScrollArea *>(parent); area && area->widget() && !isHelper(area->widget())) {
            append(area->widget(), out);
            appendDescendants(area->widget(), out);
        }
        return;
    }
    for (QObject *child : parent->children()) {
        if (!child->isWidgetType())
            continue;
        auto *w = static_cast<QWidget *>(child);
        if (w->isWindow() || isHelper(w))
            continue;
        append(w, out);
        appendDescendants(w, out);
    }
}

Hwnd QtWindowManager::desktopWindow()
{
    return Desktop;
}

std::shared_ptr<const QtWindowManager::Walk> QtWindowManager::desktopWalk()
{
    // Flags can change with no event at all (a hidden widget made a window
    // or put on top): they are compared, which is far cheaper than taking
    // the snapshot again.
    if (m_desktop) {
        for (const Walked &w : *m_desktop) {
            if (w.widget->windowFlags() != w.flags) {
                m_desktop.reset();
                break;
            }
        }
    }
    if (!m_desktop) {
        auto walk = std::make_shared<Walk>();
        walk->reserve(size_t(m_handles.size()));
        for (QWidget *top : topLevelWindows()) {
            append(top, *walk);
            appendDescendants(top, *walk);
        }
        m_desktop = std::move(walk);
    }
    return m_desktop;
}

bool QtWindowManager::visit(const Walk &walk, const std::function<bool(Hwnd)> &visitor)
{
    // Put back on every way out, a visitor's exception included: left set,
    // they would point into a walk that is gone.
    const QScopedValueRollback<const Walked *> outer(m_visiting);
    struct Walking {
        QtWindowManager &windows;
        explicit Walking(QtWindowManager &w) : windows(w) { ++windows.m_walking; }
        ~Walking()
        {
            if (--windows.m_walking == 0)
                windows.m_goneDuringWalk.clear();
        }
    } walking(*this);
    for (const Walked &w : walk) {
        if (!m_goneDuringWalk.isEmpty() && m_goneDuringWalk.contains(w.handle))
            continue;
        m_visiting = &w;
        if (!visitor(w.handle))
            break;
    }
    return true;
}

bool QtWindowManager::enumChildWindows(Hwnd parent, const std::function<bool(Hwnd)> &visitor)
{
    if (parent == Desktop) {
        // Held for the walk: a visitor that changes the desktop leaves this
        // snapshot to the walk and the next walk takes its own.
        const std::shared_ptr<const Walk> walk = desktopWalk();
        return visit(*walk, visitor);
    }
    QWidget *w = widgetOf(parent);
    if (!w)
        return false;
    Walk walk;
    appendDescendants(w, walk);
    return visit(walk, visitor);
}

QString QtWindowManager::getWindowText(Hwnd window, int maxCount)
{
    if (maxCount <= 1)
        return QString();
    // The window being visited is read without looking it up; one destroyed
    // during the walk is looked up, and found gone.
    const bool visiting = m_visiting && m_visiting->handle == window && m_goneDuringWalk.isEmpty();
    const QWidget *w = visiting ? m_visiting->widget : widgetOf(window);
    if (!w)
        return QString();
    QString text = textOf(w, visiting ? m_visiting->kind : kindOf(w));
    if (text.size() >= maxCount)
        text.truncate(maxCount - 1);
    return text;
}

int QtWindowManager::isWindowVisible(Hwnd window)
{
    if (window == Desktop)
        return 1;
    const QWidget *w = widgetOf(window);
    return w && w->isVisible() ? 1 : 0;
}

bool QtWindowManager::setForegroundWindow(Hwnd window)
{
    QWidget *w = widgetOf(window);
    if (!w)
        return false;
    QWidget *top = w->window();
    bringToFront(top);
    if (!top->isVisible())
        return false;
    // Offscreen windows have no stacking, and that platform warns on every raise.
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        top->raise();
    top->activateWindow();
    // Activation through the platform arrives later, if at all; keys sent
    // right after this call must find the window active already.
    QApplication::setActiveWindow(top);
    QCoreApplication::processEvents();
    return QApplication::activeWindow() == top;
}

Hwnd QtWindowManager::setFocus(Hwnd window)
{
    const Hwnd previous = handleOf(QApplication::focusWidget());
    QWidget *w = widgetOf(window);
    // A top-level window keeps its focus on the child that had it, as a
    // dialog does when it is given the focus.
    if (w && !w->isWindow() && w->focusPolicy() != Qt::NoFocus && w->isEnabled())
        w->setFocus(Qt::OtherFocusReason);
    return previous;
}

Hwnd QtWindowManager::getForegroundWindow()
{
    return handleOf(QApplication::activeWindow());
}

bool QtWindowManager::setWindowPos(Hwnd window, Hwnd insertAfter, int x, int y, int cx, int cy, unsigned flags)
{
    QWidget *w = widgetOf(window);
    if (!w)
        return false;

    if (w->isWindow() && (insertAfter == swp::HWND_TOPMOST || insertAfter == swp::HWND_NOTOPMOST)) {
        const bool onTop = insertAfter == swp::HWND_TOPMOST;
        if (w->windowFlags().testFlag(Qt::WindowStaysOnTopHint) != onTop) {
            // Changing window flags hides the window.
            const bool wasVisible = w->isVisible();
            w->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
            m_desktop.reset();
            if (wasVisible)
                w->show();
        }
    }
    if (!(flags & swp::SWP_NOMOVE))
        w->move(x, y);
    if (!(flags & swp::SWP_NOSIZE))
        w->resize(cx, cy);
    return true;
}

QRect QtWindowManager::getWindowRect(Hwnd window)
{
    if (window == Desktop) {
        const QScreen *screen = QGuiApplication::primaryScreen();
        return screen ? screen->virtualGeometry() : QRect();
    }
    const QWidget *w = widgetOf(window);
    if (!w)
        return QRect();
    if (w->isWindow())
        return w->frameGeometry();
    return QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
}

QPoint QtWindowManager::getCursorPos()
{
    return QCursor::pos();
}

} // namespace platform
