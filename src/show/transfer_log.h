#pragma once

#include <QString>

// The log of a download or upgrade ("Text下载SD卡文件信息" on the main window, the terminal for the
// command line). Transfers append to it or replace its text, as the installers have always seen it.
class TransferLog {
public:
    virtual ~TransferLog() = default;

    void append(const QString& s) {
        text_ += s;
        changed();
    }
    void setText(const QString& s) {
        text_ = s;
        changed();
    }
    const QString& text() const { return text_; }

    // How far the transfer is, after every packet.
    virtual void progress(qint64 done, qint64 total) {
        (void)done;
        (void)total;
    }
    virtual void caretToEnd() {}

protected:
    virtual void changed() {}

private:
    QString text_;
};
