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

QList<QWidget *> walkedChildren(QWidget *parent)
{
    QList<QWidget *> out;
    if (isSingleWindow(parent)) {
        if (auto *area = qobject_cast<QScrollArea *>(parent); area && area->widget() && !isHelper(area->widget()))
            out.append(area->widget());
        return out;
    }
    for (QObject *child : parent->children()) {
        if (!child->isWidgetType())
            continue;
        auto *w = static_cast<QWidget *>(child);
        if (!w->isWindow() && !isHelper(w))
            out.append(w);
    }
    return out;
}

QString labelText(const QLabel *label)
{
    QString text = label->text();
    const bool rich = label->textFormat() == Qt::RichText
        || (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(text));
    if (rich)
        text = QTextDocumentFragment::fromHtml(text).toPlainText();
    return text.isEmpty() ? label->windowTitle() : text;
}

QString textOf(const QWidget *w)
{
    if (w->isWindow())
        return w->windowTitle();
    if (auto *label = qobject_cast<const QLabel *>(w))
        return labelText(label);
    if (auto *button = qobject_cast<const QAbstractButton *>(w))
        return button->text();
    if (auto *edit = qobject_cast<const QLineEdit *>(w))
        return edit->text();
    if (auto *combo = qobject_cast<const QComboBox *>(w))
        return combo->currentText();
    if (auto *box = qobject_cast<const QGroupBox *>(w))
        return box->title();
    if (auto *spin = qobject_cast<const QAbstractSpinBox *>(w))
        return spin->text();
    if (auto *edit = qobject_cast<const QPlainTextEdit *>(w))
        return edit->toPlainText();
    if (auto *edit = qobject_cast<const QTextEdit *>(w))
        return edit->toPlainText();
    return w->windowTitle();
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
        if (watched->isWidgetType())
            handleOf(static_cast<QWidget *>(watched));
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
    m_front.removeOne(handle);
    m_front.prepend(handle);
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

void QtWindowManager::appendDescendants(QWidget *parent, QList<QPointer<QWidget>> &out)
{
    for (QWidget *child : walkedChildren(parent)) {
        handleOf(child);
        out.append(child);
        appendDescendants(child, out);
    }
}

Hwnd QtWindowManager::desktopWindow()
{
    return Desktop;
}

bool QtWindowManager::enumChildWindows(Hwnd parent, const std::function<bool(Hwnd)> &visitor)
{
    QList<QPointer<QWidget>> walk;
    if (parent == Desktop) {
        for (QWidget *top : topLevelWindows()) {
            walk.append(top);
            appendDescendants(top, walk);
        }
    } else if (QWidget *w = widgetOf(parent)) {
        appendDescendants(w, walk);
    } else {
        return false;
    }

    for (const QPointer<QWidget> &w : walk) {
        if (!w)
            continue;
        if (!visitor(handleOf(w)))
            break;
    }
    return true;
}

QString QtWindowManager::getWindowText(Hwnd window, int maxCount)
{
    const QWidget *w = widgetOf(window);
    if (!w || maxCount <= 1)
        return QString();
    return textOf(w).left(maxCount - 1);
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
