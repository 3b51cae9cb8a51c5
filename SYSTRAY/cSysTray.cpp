#include "SYSTRAY/cSysTray.h"

#include "SYSTRAY/mSysTray.h"

#include <QPainter>
#include <QResizeEvent>
#include <cstring>

// Registered by hand: linked from an archive, the resource would be left
// out as nothing refers to it.
static void initResources()
{
    Q_INIT_RESOURCE(TarvoTray);
}

namespace TarvoTrayCtl {

using namespace platform;

namespace {

const QString kDefaultTip = QStringLiteral("QX 5 - SysTray Control.");
constexpr int kButtonLeft = 1;
constexpr int kButtonRight = 2;

} // namespace

cSysTray::cSysTray(QWidget *parent, ControlSite &site) : QWidget(parent), m_site(site)
{
    initResources();
    UserControl_Initialize();
    UserControl_Resize();
}

cSysTray::~cSysTray()
{
    UserControl_Terminate();
}

void cSysTray::UserControl_Initialize()
{
    m_InTray = false;
    iconShown = false;
    iconId = 0;
    m_hWnd = services().windows.handleOf(this);
}

void cSysTray::UserControl_InitProperties()
{
    put_InTray(false);
    put_TrayTip(kDefaultTip);
    putref_TrayIcon(ownPicture());
}

void cSysTray::UserControl_ReadProperties()
{
    put_InTray(m_site.readProperty(QStringLiteral("InTray"), false).toBool());
    putref_TrayIcon(m_site.readPicture(QStringLiteral("TrayIcon"), ownPicture()));
    put_TrayTip(m_site.readProperty(QStringLiteral("TrayTip"), kDefaultTip).toString());
}

void cSysTray::UserControl_WriteProperties()
{
    m_site.writeProperty(QStringLiteral("InTray"), m_InTray);
    m_site.writePicture(QStringLiteral("TrayIcon"), m_TrayIcon);
    m_site.writeProperty(QStringLiteral("TrayTip"), m_TrayTip);
}

void cSysTray::UserControl_Resize()
{
    const int side = kSizeTwips / kTwipsPerPixel;
    if (width() != side || height() != side)
        setFixedSize(side, side);
}

void cSysTray::UserControl_Paint()
{
    QPainter painter(this);
    const QRect face = rect();
    if (!m_TrayIcon.isNothing())
        m_TrayIcon.image().paint(&painter, face.adjusted(3, 3, -3, -3));
    // A soft raised outer edge on all four sides.
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(face.topLeft(), face.topRight());
    painter.drawLine(face.topLeft(), face.bottomLeft());
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(face.bottomLeft(), face.bottomRight());
    painter.drawLine(face.topRight(), face.bottomRight());
}

void cSysTray::UserControl_Terminate()
{
    if (m_InTray)
        put_InTray(false);
}

void cSysTray::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    UserControl_Resize();
}

void cSysTray::paintEvent(QPaintEvent *)
{
    UserControl_Paint();
}

Picture cSysTray::ownPicture() const
{
    return m_site.services().pictures.icon(QIcon(QStringLiteral(":/TarvoTray/cSysTray.svg")));
}

Picture cSysTray::TrayIcon() const
{
    return m_TrayIcon;
}

void cSysTray::putref_TrayIcon(const Picture &value)
{
    if (value.isNothing() || value.type() != Picture::Icon)
        return;
    if (iconShown) {
        NOTIFYICONDATAA nid;
        nid.cbSize = sizeof nid;
        nid.hWnd = quint32(m_hWnd);
        nid.uID = quint32(iconId);
        nid.uFlags = nif::NIF_ICON;
        nid.hIcon = value.handle();
        services().shell.Shell_NotifyIconA(nim::NIM_MODIFY, nid);
    }
    m_TrayIcon = value;
    update();
    m_site.propertyChanged(QStringLiteral("TrayIcon"));
}

QString cSysTray::TrayTip() const
{
    return m_TrayTip;
}

void cSysTray::put_TrayTip(const QString &value)
{
    if (iconShown) {
        NOTIFYICONDATAA nid;
        nid.cbSize = sizeof nid;
        nid.hWnd = quint32(m_hWnd);
        nid.uID = quint32(iconId);
        nid.uFlags = nif::NIF_TIP;
        fillTip(nid, value);
        services().shell.Shell_NotifyIconA(nim::NIM_MODIFY, nid);
    }
    m_TrayTip = value;
    m_site.propertyChanged(QStringLiteral("TrayTip"));
}

bool cSysTray::InTray() const
{
    return m_InTray;
}

void cSysTray::put_InTray(bool value)
{
    if (value == m_InTray)
        return;
    if (value) {
        if (m_site.userMode()) {
            WindowProcedures &procedures = services().procedures;
            mSysTray::procedures = &procedures;
            mSysTray::previousWindowProc = procedures.setWindowLong(
                m_hWnd, gwl::GWL_WNDPROC, WindowProcedures::asLong(&mSysTray::TrayWindowProc));
            // Not a counted reference: the instance takes its icon out,
            // and so stops the procedure, before it goes.
            procedures.setWindowLong(m_hWnd, gwl::GWL_USERDATA, reinterpret_cast<qintptr>(this));
            AddToTray(m_hWnd, iconId, m_TrayTip, m_TrayIcon);
            iconShown = true;
        }
    } else if (iconShown) {
        RemoveFromTray(m_hWnd, iconId);
        services().procedures.setWindowLong(m_hWnd, gwl::GWL_WNDPROC, mSysTray::previousWindowProc);
        iconShown = false;
    }
    m_InTray = value;
    m_site.propertyChanged(QStringLiteral("InTray"));
}

QVariant cSysTray::getProperty(DISPID dispId) const
{
    switch (dispId) {
    case DISPID_InTray:
        return m_InTray;
    case DISPID_TrayTip:
        return m_TrayTip;
    default:
        // A picture is reached through TrayIcon() alone.
        return {};
    }
}

bool cSysTray::putProperty(DISPID dispId, const QVariant &value)
{
    switch (dispId) {
    case DISPID_InTray:
        if (value.typeId() != QMetaType::Bool)
            return false;
        put_InTray(value.toBool());
        return true;
    case DISPID_TrayTip:
        if (value.typeId() != QMetaType::QString)
            return false;
        put_TrayTip(value.toString());
        return true;
    default:
        return false;
    }
}

void cSysTray::fillTip(NOTIFYICONDATAA &data, const QString &tip)
{
    // The text and its terminator, left-aligned in the field, padded with
    // blanks and cut: a tip of 64 characters or more has no terminator.
    const QByteArray ansi = (tip + QChar(u'\0')).toLatin1();
    std::memset(data.szTip, ' ', sizeof data.szTip);
    std::memcpy(data.szTip, ansi.constData(), std::min<size_t>(size_t(ansi.size()), sizeof data.szTip));
}

void cSysTray::AddToTray(Hwnd hwnd, qint32 id, const QString &tip, const Picture &icon)
{
    NOTIFYICONDATAA nid;
    nid.cbSize = sizeof nid;
    nid.hWnd = quint32(hwnd);
    nid.uID = quint32(id);
    if (!icon.isNothing()) {
        nid.hIcon = icon.handle();
        nid.uFlags |= nif::NIF_ICON;
        m_TrayIcon = icon;
    }
    if (!tip.isEmpty()) {
        fillTip(nid, tip);
        nid.uFlags |= nif::NIF_TIP;
        m_TrayTip = tip;
    }
    nid.uCallbackMessage = mSysTray::TrayCallbackMessage;
    nid.uFlags |= nif::NIF_MESSAGE;
    services().shell.Shell_NotifyIconA(nim::NIM_ADD, nid);
}

void cSysTray::RemoveFromTray(Hwnd hwnd, qint32 id)
{
    NOTIFYICONDATAA nid;
    nid.cbSize = sizeof nid;
    nid.hWnd = quint32(hwnd);
    nid.uID = quint32(id);
    services().shell.Shell_NotifyIconA(nim::NIM_DELETE, nid);
}

void cSysTray::RaiseMouseEvent(int mouseMessage, qint32 id)
{
    switch (mouseMessage) {
    case wm::WM_MOUSEMOVE:
        RaiseEvent(Event::MouseMove, {id});
        break;
    case wm::WM_LBUTTONDOWN:
        RaiseEvent(Event::MouseDown, {qint16(kButtonLeft), id});
        break;
    case wm::WM_LBUTTONUP:
        RaiseEvent(Event::MouseUp, {qint16(kButtonLeft), id});
        break;
    case wm::WM_LBUTTONDBLCLK:
        RaiseEvent(Event::MouseDblClick, {qint16(kButtonLeft), id});
        break;
    case wm::WM_RBUTTONDOWN:
        RaiseEvent(Event::MouseDown, {qint16(kButtonRight), id});
        break;
    case wm::WM_RBUTTONUP:
        RaiseEvent(Event::MouseUp, {qint16(kButtonRight), id});
        break;
    case wm::WM_RBUTTONDBLCLK:
        RaiseEvent(Event::MouseDblClick, {qint16(kButtonRight), id});
        break;
    default:
        break;
    }
}

void cSysTray::RaiseEvent(DISPID dispId, QVariantList params)
{
    m_site.raiseEvent(dispId, params);
}

} // namespace TarvoTrayCtl
