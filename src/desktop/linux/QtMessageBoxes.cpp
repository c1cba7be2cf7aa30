#include "QtMessageBoxes.h"

#include <QApplication>
#include <QMessageBox>

namespace platform {

void QtMessageBoxes::MsgBox(std::string_view text)
{
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(),
                    QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), QMessageBox::Ok,
                    QApplication::activeWindow() ? QApplication::activeWindow() : owner.data());
    box.setObjectName("zelvoMessageBox");
    box.exec();
}

} // namespace platform
