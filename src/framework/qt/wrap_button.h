// A push button whose caption wraps onto several lines when the template asks
// for it, centred as on the platform, instead of being cut off.
#pragma once

#include <QPushButton>

namespace nolt::fw {

class WrapButton : public QPushButton {
    Q_OBJECT
public:
    WrapButton(const QString& text, bool wrap, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    bool wrap_;
};

}  // namespace nolt::fw
