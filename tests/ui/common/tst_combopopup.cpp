#include "ui/common/combopopup.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QTest>

class TestComboPopup : public QObject
{
    Q_OBJECT

private slots:
    // The list window is cut to a rounded shape at whatever size Qt gives it,
    // so no square corner of it shows under the rounded field.
    void openListIsCutToRoundedCorners()
    {
        QWidget window;
        auto *box = new QComboBox(&window);
        box->addItems({QStringLiteral("10"), QStringLiteral("20"), QStringLiteral("50")});
        box->setFixedSize(220, 51);
        styleComboPopup(box);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        box->showPopup();
        QWidget *popup = box->view()->window();
        QTRY_VERIFY(popup->isVisible());
        const QRegion mask = popup->mask();
        const QRect rect = popup->rect();
        QVERIFY(!mask.isEmpty());
        QVERIFY(!mask.contains(rect.topLeft()));
        QVERIFY(!mask.contains(rect.bottomRight()));
        QVERIFY(mask.contains(rect.center()));
        QVERIFY(mask.contains(QPoint(rect.center().x(), rect.top())));
        box->hidePopup();
    }
};

QTEST_MAIN(TestComboPopup)
#include "tst_combopopup.moc"
