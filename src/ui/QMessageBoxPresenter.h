// Shows the program's message boxes with QMessageBox, translating the button
// styles and answers of the message-box handler.
#pragma once

#include "core/MsgBoxPresenter.h"

namespace limsbridge {

class QMessageBoxPresenter : public MsgBoxPresenter {
public:
    int show(const QString& prompt, int buttons, const QString& title, const QString& helpFile,
             int context) override;
};

} // namespace limsbridge
