// The seam through which the message-box handler shows a box on screen. The
// user interface implements it; service mode and the tests run without one.
#pragma once

#include <QString>

namespace limsbridge {

class MsgBoxPresenter {
public:
    virtual ~MsgBoxPresenter() = default;

    //! Shows a modal box and returns the code of the button pressed (1 OK,
    //! 2 Cancel, 3 Abort, 4 Retry, 5 Ignore, 6 Yes, 7 No). Title and help file
    //! are empty and context is 0 when the caller gave none.
    virtual int show(const QString& prompt, int buttons, const QString& title, const QString& helpFile,
                     int context) = 0;
};

} // namespace limsbridge
