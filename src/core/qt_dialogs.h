#pragma once

#include "dialogs.h"

namespace kq {

// The widget dialogs the program shows.
class QtDialogs final : public Dialogs {
public:
    MessageAnswer message(const QString& text, const QString& title, MessageButtons buttons) override;
    QString openFileName(const FileDialogRequest& request) override;
    QString saveFileName(const FileDialogRequest& request) override;
};

} // namespace kq
