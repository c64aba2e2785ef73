#include "QMessageBoxPresenter.h"

#include <QApplication>
#include <QMessageBox>

namespace limsbridge {

namespace {

struct ButtonAnswer {
    QMessageBox::StandardButton button;
    int answer;
};

// The buttons of each style (low three bits), in their order on the box.
QList<ButtonAnswer> buttonsOfStyle(int style)
{
    switch (style) {
    case 1:
        return {{QMessageBox::Ok, 1}, {QMessageBox::Cancel, 2}};
    case 2:
        return {{QMessageBox::Abort, 3}, {QMessageBox::Retry, 4}, {QMessageBox::Ignore, 5}};
    case 3:
        return {{QMessageBox::Yes, 6}, {QMessageBox::No, 7}, {QMessageBox::Cancel, 2}};
    case 4:
        return {{QMessageBox::Yes, 6}, {QMessageBox::No, 7}};
    case 5:
        return {{QMessageBox::Retry, 4}, {QMessageBox::Cancel, 2}};
    default:
        return {{QMessageBox::Ok, 1}};
    }
}

QMessageBox::Icon iconOf(int buttons)
{
    switch (buttons & 0x70) {
    case 16:
        return QMessageBox::Critical;
    case 32:
        return QMessageBox::Question;
    case 48:
        return QMessageBox::Warning;
    case 64:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

} // namespace

int QMessageBoxPresenter::show(const QString& prompt, int buttons, const QString& title, const QString&, int)
{
    const QList<ButtonAnswer> choices = buttonsOfStyle(buttons & 7);
    QMessageBox box(iconOf(buttons), title.isEmpty() ? QApplication::applicationDisplayName() : title, prompt);
    QMessageBox::StandardButtons standard;
    for (const ButtonAnswer& choice : choices)
        standard |= choice.button;
    box.setStandardButtons(standard);
    const int defaultIndex = (buttons & 256) ? 1 : (buttons & 512) ? 2 : 0;
    if (defaultIndex < choices.size())
        box.setDefaultButton(choices[defaultIndex].button);
    const auto pressed = static_cast<QMessageBox::StandardButton>(box.exec());
    for (const ButtonAnswer& choice : choices) {
        if (choice.button == pressed)
            return choice.answer;
    }
    // Closing the box with Escape or the window's close button.
    for (const ButtonAnswer& choice : choices) {
        if (choice.answer == 2)
            return 2;
    }
    return choices.front().answer;
}

} // namespace limsbridge
