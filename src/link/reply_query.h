#pragma once

#include "command_frame.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

namespace kq::link {

// The machines' replies belong to one query at a time: a window that asks the machines something
// claims them for as long as it waits, and only it sees what arrives meanwhile. A second query while
// one waits (another window, a click during the wait) gets nothing and must send nothing, so that no
// reply is ever taken for the answer to a question it was not asked.
class ReplyQuery {
public:
    // capacityBytes: what the query keeps; a datagram that no longer fits whole is left out and counted.
    explicit ReplyQuery(qsizetype capacityBytes = kReplyBufBytes);
    ~ReplyQuery();
    ReplyQuery(const ReplyQuery&) = delete;
    ReplyQuery& operator=(const ReplyQuery&) = delete;

    // False when another query holds the replies: nothing may be sent for this one.
    bool claimed() const { return claimed_; }
    // Forgets what arrived, before the next question.
    void reset();
    QByteArrayView replies() const { return replies_; }
    // The datagrams one by one, as they came: each machine answers in one.
    const QList<QByteArray>& datagrams() const { return datagrams_; }
    qsizetype bytesLeftOut() const { return bytesLeftOut_; }
    // The acknowledgement of show downloads and firmware upgrades: exactly the bytes 0x88 0x66.
    bool acknowledged() const;

    // The query that holds the replies now, or null: the reply endpoint hands it every datagram.
    static ReplyQuery* holder();
    void take(QByteArrayView datagram);

private:
    qsizetype capacity_;
    QByteArray replies_;
    QList<QByteArray> datagrams_;
    qsizetype bytesLeftOut_ = 0;
    bool claimed_ = false;
};

// What a window says when it cannot ask because another query waits.
QString busyText();
// True when the query holds the replies; otherwise says busyText() and returns false.
bool claimedOrSaid(const ReplyQuery& query);

} // namespace kq::link
