#include "consoleoutput.h"

#include <QTextCodec>

void useUtf8Text()
{
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
}
