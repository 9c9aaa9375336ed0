#include "reply_query.h"

#include "core/dialogs.h"

#include <QCoreApplication>
#include <QString>

namespace kq::link {
namespace {
ReplyQuery* g_holder = nullptr;
} // namespace

ReplyQuery::ReplyQuery(qsizetype capacityBytes) : capacity_(capacityBytes) {
    if (g_holder) return;
    g_holder = this;
    claimed_ = true;
    replies_.reserve(capacity_);
}

ReplyQuery::~ReplyQuery() {
    if (claimed_) g_holder = nullptr;
}

void ReplyQuery::reset() {
    replies_.clear();
    datagrams_.clear();
    bytesLeftOut_ = 0;
}

bool ReplyQuery::acknowledged() const {
    return replies_.size() == 2 && uint8_t(replies_[0]) == 0x88 && uint8_t(replies_[1]) == 0x66;
}

ReplyQuery* ReplyQuery::holder() {
    return g_holder;
}

void ReplyQuery::take(QByteArrayView datagram) {
    if (replies_.size() + datagram.size() > capacity_) {
        bytesLeftOut_ += datagram.size();
        return;
    }
    replies_.append(datagram);
    datagrams_.append(datagram.toByteArray());
}

QString busyText() {
    return QCoreApplication::translate("kq", "正在等待机器回复，请稍后再试。");
}

bool claimedOrSaid(const ReplyQuery& query) {
    if (!query.claimed()) Fun_MsgBox(busyText());
    return query.claimed();
}

} // namespace kq::link
