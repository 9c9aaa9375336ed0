#include "portal_capture.h"

#include "pipewire_stream.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <optional>

namespace kq::record {

QString portalRequestPath(const QString& uniqueName, const QString& token) {
    QString sender = uniqueName.startsWith(QLatin1Char(':')) ? uniqueName.mid(1) : uniqueName;
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
}

namespace {

const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kScreenCast = QStringLiteral("org.freedesktop.portal.ScreenCast");
constexpr uint kMonitor = 1;
constexpr uint kCursorHidden = 1;
constexpr uint kPersistUntilRevoked = 2;
// How long a started share may take to link its stream before the user is told.
constexpr qint64 kLinkTimeoutMs = 15000;
QString askAgain() {
    return QCoreApplication::translate("kq", "再次选择操作状态“录制”时，桌面会重新询问要共享的屏幕。");
}
// Request and session tokens are unique in the process: a portal refuses a path still in use.
std::atomic<int> g_requests{0};

struct SharedScreen {
    uint node = 0;
    QRect place; // on the desktop; empty size when the portal does not say
};

// The first stream of a Start response ("streams": a(ua{sv})).
std::optional<SharedScreen> firstStream(const QVariant& streams) {
    if (!streams.canConvert<QDBusArgument>()) return std::nullopt;
    const QDBusArgument arg = streams.value<QDBusArgument>();
    if (arg.currentType() != QDBusArgument::ArrayType) return std::nullopt;
    std::optional<SharedScreen> first;
    arg.beginArray();
    while (!arg.atEnd()) {
        SharedScreen s;
        QVariantMap props;
        arg.beginStructure();
        arg >> s.node >> props;
        arg.endStructure();
        const auto pair = [&](const char* key) {
            int a = 0, b = 0;
            const QVariant v = props.value(QLatin1String(key));
            if (v.canConvert<QDBusArgument>()) {
                const QDBusArgument p = v.value<QDBusArgument>();
                p.beginStructure();
                p >> a >> b;
                p.endStructure();
            }
            return QPoint(a, b);
        };
        const QPoint size = pair("size");
        s.place = QRect(pair("position"), QSize(size.x(), size.y()));
        if (!first) first = s;
    }
    arg.endArray();
    return first;
}

} // namespace

// One portal request: its Response signal, subscribed before the call is made.
class PortalRequest : public QObject {
    Q_OBJECT
public:
    std::function<void(uint, const QVariantMap&)> done;

public slots:
    void response(uint code, const QVariantMap& results) {
        auto call = std::move(done);
        deleteLater();
        if (call) call(code, results);
    }
};

// The session's Closed signal: the desktop stopped sharing (the user, or the compositor).
class PortalSessionWatch : public QObject {
    Q_OBJECT
public:
    std::function<void()> closed;

public slots:
    void sessionClosed(const QVariantMap&) {
        if (closed) closed();
    }
};

struct PortalCapture::Impl {
    QString token;
    State state = State::Idle;
    QString failure;
    QString advice;
    QDBusConnection bus = QDBusConnection::sessionBus();
    QString session;
    uint version = 0;
    uint cursorModes = 0;
    SharedScreen screen;
    std::unique_ptr<PipeWireStream> stream;
    std::unique_ptr<PortalSessionWatch> sessionWatch;
    std::function<void(const QString&)>* tokenChanged = nullptr;
    // The attempt's outstanding requests and calls: a retry drops them with their callbacks, so a late
    // reply to a failed attempt goes nowhere (and a portal that never answers leaks nothing).
    std::unique_ptr<QObject> attempt = std::make_unique<QObject>();
    QElapsedTimer sinceStreaming;
    PipeWireStream::Cut lastCut = PipeWireStream::Cut::NoFrameYet;

    void fail(const QString& why, const QString& what) {
        state = State::Failed;
        failure = why;
        advice = what;
        std::fprintf(stderr, "kq510: screen sharing: %s\n", qPrintable(why));
    }

    // Ends a share that had started: its stream and the portal's session go, and the user is told.
    void abandon(const QString& why) {
        stream.reset();
        closeSession();
        fail(why, askAgain());
    }

    QDBusMessage screenCastCall(const QString& method) const {
        return QDBusMessage::createMethodCall(kPortalService, kPortalPath, kScreenCast, method);
    }

    // Calls method with options (plus a handle token) and hands its Response to then.
    void request(QDBusMessage call, QVariantMap options, std::function<void(const QVariantMap&)> then) {
        const QString handle = QStringLiteral("kq510_%1").arg(++g_requests);
        options.insert(QStringLiteral("handle_token"), handle);
        call << options;
        auto* r = new PortalRequest;
        r->setParent(attempt.get());
        r->done = [this, then = std::move(then)](uint code, const QVariantMap& results) {
            if (state != State::Asking) return;
            if (code == 0)
                then(results);
            else if (code == 1)
                fail(QCoreApplication::translate("kq", "屏幕共享被拒绝"), askAgain());
            else
                fail(QCoreApplication::translate("kq", "桌面没有共享屏幕"), askAgain());
        };
        bus.connect(kPortalService, portalRequestPath(bus.baseService(), handle),
                    QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"), r,
                    SLOT(response(uint, QVariantMap)));
        call_(call, [this, r](const QDBusMessage& reply) {
            if (reply.type() == QDBusMessage::ErrorMessage) {
                r->deleteLater();
                fail(QCoreApplication::translate("kq", "屏幕共享失败：%1").arg(reply.errorMessage()), askAgain());
            }
        });
    }

    // An asynchronous call; then gets the reply (or error) on the program's own thread.
    void call_(const QDBusMessage& call, std::function<void(const QDBusMessage&)> then) {
        auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), attempt.get());
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished,
                         [then = std::move(then)](QDBusPendingCallWatcher* w) {
                             w->deleteLater();
                             then(w->reply());
                         });
    }

    void start() {
        state = State::Asking;
        if (!bus.isConnected()) {
            fail(QCoreApplication::translate("kq", "没有桌面会话总线（D-Bus）"),
                 QCoreApplication::translate("kq", "请在桌面会话中启动程序，或在X11（Xorg）会话中运行。"));
            return;
        }
        QDBusMessage get = QDBusMessage::createMethodCall(
            kPortalService, kPortalPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("GetAll"));
        get << kScreenCast;
        call_(get, [this](const QDBusMessage& reply) {
            if (reply.type() == QDBusMessage::ErrorMessage || reply.arguments().isEmpty()) {
                fail(QCoreApplication::translate("kq", "桌面没有提供屏幕共享（xdg-desktop-portal）"),
                     QCoreApplication::translate(
                         "kq", "请安装xdg-desktop-portal和桌面对应的后端，或在X11（Xorg）会话中运行。"));
                return;
            }
            const QVariantMap props = qdbus_cast<QVariantMap>(reply.arguments().first());
            version = props.value(QStringLiteral("version")).toUInt();
            cursorModes = props.value(QStringLiteral("AvailableCursorModes")).toUInt();
            createSession();
        });
    }

    void createSession() {
        QVariantMap options{
            {QStringLiteral("session_handle_token"), QStringLiteral("kq510_session_%1").arg(++g_requests)}};
        request(screenCastCall(QStringLiteral("CreateSession")), options, [this](const QVariantMap& results) {
            session = results.value(QStringLiteral("session_handle")).toString();
            watchSession();
            selectSources();
        });
    }

    void watchSession() {
        sessionWatch = std::make_unique<PortalSessionWatch>();
        sessionWatch->closed = [this] {
            if (state == State::Failed) return;
            session.clear(); // closed already: nothing to close
            abandon(QCoreApplication::translate("kq", "屏幕共享已结束"));
        };
        bus.connect(kPortalService, session, QStringLiteral("org.freedesktop.portal.Session"), QStringLiteral("Closed"),
                    sessionWatch.get(), SLOT(sessionClosed(QVariantMap)));
    }

    void selectSources() {
        QVariantMap options{{QStringLiteral("types"), kMonitor}, {QStringLiteral("multiple"), false}};
        // The LEDs show what is under the area, never the mouse pointer.
        if (cursorModes & kCursorHidden) options.insert(QStringLiteral("cursor_mode"), kCursorHidden);
        if (version >= 4) {
            options.insert(QStringLiteral("persist_mode"), kPersistUntilRevoked);
            if (!token.isEmpty()) options.insert(QStringLiteral("restore_token"), token);
        }
        QDBusMessage call = screenCastCall(QStringLiteral("SelectSources"));
        call << QVariant::fromValue(QDBusObjectPath(session));
        request(call, options, [this](const QVariantMap&) { startSharing(); });
    }

    void startSharing() {
        QDBusMessage call = screenCastCall(QStringLiteral("Start"));
        call << QVariant::fromValue(QDBusObjectPath(session)) << QString();
        request(call, {}, [this](const QVariantMap& results) {
            const std::optional<SharedScreen> s = firstStream(results.value(QStringLiteral("streams")));
            if (!s) {
                fail(QCoreApplication::translate("kq", "桌面没有共享屏幕"), askAgain());
                return;
            }
            screen = *s;
            if (const QString t = results.value(QStringLiteral("restore_token")).toString(); !t.isEmpty()) {
                token = t;
                if (tokenChanged && *tokenChanged) (*tokenChanged)(t);
            }
            openStream();
        });
    }

    void openStream() {
        QDBusMessage call = screenCastCall(QStringLiteral("OpenPipeWireRemote"));
        call << QVariant::fromValue(QDBusObjectPath(session)) << QVariantMap();
        call_(call, [this](const QDBusMessage& reply) {
            const QDBusUnixFileDescriptor fd = reply.arguments().isEmpty()
                                                   ? QDBusUnixFileDescriptor()
                                                   : qdbus_cast<QDBusUnixFileDescriptor>(reply.arguments().first());
            if (reply.type() == QDBusMessage::ErrorMessage || !fd.isValid()) {
                fail(QCoreApplication::translate("kq", "无法打开屏幕共享的视频流"), askAgain());
                return;
            }
            if (state != State::Asking) return; // the desktop closed the session meanwhile
            stream = std::make_unique<PipeWireStream>(fcntl(fd.fileDescriptor(), F_DUPFD_CLOEXEC, 0), screen.node);
            state = State::Streaming;
            sinceStreaming.start();
            lastCut = PipeWireStream::Cut::NoFrameYet;
        });
    }

    void closeSession() {
        if (session.isEmpty() || !bus.isConnected()) return;
        bus.send(QDBusMessage::createMethodCall(
            kPortalService, session, QStringLiteral("org.freedesktop.portal.Session"), QStringLiteral("Close")));
        session.clear();
    }
};

PortalCapture::PortalCapture(QString restoreToken) : d_(std::make_unique<Impl>()) {
    d_->token = std::move(restoreToken);
    d_->tokenChanged = &restoreTokenChanged;
}

PortalCapture::~PortalCapture() {
    d_->stream.reset();
    d_->closeSession();
}

bool PortalCapture::grab(const QRect& wanted, CapturedPicture& picture) {
    if (d_->state == State::Idle) d_->start();
    if (d_->state != State::Streaming) return false;
    d_->lastCut = d_->stream->cut(d_->screen.place, wanted, picture);
    // A stream that the desktop never links to its screen would leave the live output waiting for good.
    if (d_->lastCut == PipeWireStream::Cut::NoFrameYet && d_->stream->frames() == 0 && !d_->stream->streaming() &&
        d_->sinceStreaming.elapsed() > kLinkTimeoutMs) {
        d_->abandon(QCoreApplication::translate("kq", "没有收到屏幕画面"));
        return false;
    }
    if (d_->lastCut == PipeWireStream::Cut::Ended) d_->abandon(d_->stream->error());
    return d_->lastCut == PipeWireStream::Cut::Done;
}

bool PortalCapture::waiting() const {
    // Between frames (the first, or the next after the desktop changed the format) nothing is wrong yet.
    return d_->state == State::Asking ||
           (d_->state == State::Streaming && d_->lastCut == PipeWireStream::Cut::NoFrameYet);
}

QString PortalCapture::name() const {
    return d_->failure.isEmpty() ? QCoreApplication::translate("kq", "屏幕共享") : d_->failure;
}

QString PortalCapture::advice() const {
    return d_->advice;
}

void PortalCapture::retry() {
    if (d_->state != State::Failed) return;
    d_->sessionWatch.reset();
    d_->attempt = std::make_unique<QObject>();
    d_->closeSession();
    d_->failure.clear();
    d_->advice.clear();
    d_->state = State::Idle;
}

PortalCapture::State PortalCapture::state() const {
    return d_->state;
}

QRect PortalCapture::screen() const {
    return d_->screen.place;
}

quint64 PortalCapture::frames() const {
    return d_->stream ? d_->stream->frames() : 0;
}

} // namespace kq::record

#include "portal_capture.moc"
