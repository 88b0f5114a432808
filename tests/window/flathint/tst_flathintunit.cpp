// TFlatHint and TFlatHintWindow: installation, placement, measuring and the drawn pixels.

#include "test_main.h"
#include "TFlatHintUnit.h"

#include <QFontMetrics>
#include <QRegularExpression>
#include <QScreen>
#include <set>

namespace {

constexpr TColor TestBackground = 0x00F0F0F0, TestBorder = 0x00102030, TestArrowBack = 0x0053D2FF,
                 TestArrow = 0x000000C0;

// The glyph for acTopLeft, rows dy = 0..7, columns dx = 0..7.
const char* const Glyph[8] = {"XXXXXXX.", "XXXXXXX.", "XXXXX...", "XXXXXX..",
                              "XXXXXXX.", "XX.XXXXX", "XX..XXXX", ".....XX."};

bool Left(TArrowCorner C) {
    return C == acTopLeft || C == acBottomLeft;
}
bool Top(TArrowCorner C) {
    return C == acTopLeft || C == acTopRight;
}

} // namespace

class TestFlatHintUnit : public QObject {
    Q_OBJECT
    QWidget* Form = nullptr;
    TFlatHint* FlatHint = nullptr;
    QFontMetrics Metrics() const { return QFontMetrics(FlatHint->Font()); }

    // Shows a window as the application would with the pointer at P.
    static QImage Show(TFlatHintWindow& Window, QPoint P, const QString& Text) {
        QCursor::setPos(P);
        Window.ShowHintAt(QRect(P + QPoint(0, 20), QSize(10, 10)), Text);
        return Window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    void MakeFlatHint() {
        FlatHint = new TFlatHint(Form);
        FlatHint->SetColorBackground(TestBackground);
        FlatHint->SetColorBorder(TestBorder);
        FlatHint->SetColorArrowBackground(TestArrowBack);
        FlatHint->SetColorArrow(TestArrow);
        QFont Font("MS Sans Serif");
        Font.setPixelSize(11);
        FlatHint->SetFont(Font);
        FlatHint->SetFontColor(clWindowText);
    }

private Q_SLOTS:
    void initTestCase() {
        Application->CreateForm(Form);
        new QObject(Form); // components before the hint do not hide it
        MakeFlatHint();
    }

    void creationInstallsTheFlatWindow() {
        THintManager& Hints = Application->Hints();
        QVERIFY(qobject_cast<TFlatHintWindow*>(Hints.HintWindow()));
        QVERIFY(Hints.ShowHint());
        QCOMPARE(Hints.HintShortPause(), 25);
        QCOMPARE(Hints.HintPause(), 500);
        QCOMPARE(Hints.HintHidePause(), 5000);
        QVERIFY(!Hints.HintWindow()->WindowParams().Border);
        QCOMPARE(TFlatHintWindow::FindFlatHint(), FlatHint);
    }

    void defaultsOfAFreshComponent() {
        auto Fresh = std::make_unique<TFlatHint>(nullptr);
        QCOMPARE(Fresh->ColorBackground(), clWhite);
        QCOMPARE(Fresh->ColorBorder(), clBlack);
        QCOMPARE(Fresh->ColorArrowBackground(), TColor(0x0053D2FF));
        QCOMPARE(Fresh->ColorArrow(), clBlack);
        QCOMPARE(Fresh->MaxHintWidth(), 200);
        QCOMPARE(Fresh->Font(), DefaultFont());
        QCOMPARE(Fresh->FontColor(), clWindowText);
        QVERIFY(!Fresh->OnShowHint());
        QCOMPARE(TFlatHintWindow::FindFlatHint(), FlatHint); // not owned by the main form
        // The older component's destruction leaves the newer one's installation alone.
        delete FlatHint;
        QVERIFY(Application->Hints().OnShowHint());
        QVERIFY(qobject_cast<TFlatHintWindow*>(Application->Hints().HintWindow()));
        Fresh.reset();
        MakeFlatHint();
    }

    void showHintIsForwardedUnchanged() {
        int Calls = 0;
        FlatHint->SetOnShowHint([&](QString& S, bool& CanShow, THintInfo& Info) {
            ++Calls;
            S += "!";
            CanShow = false;
            Info.HideTimeout = 7;
        });
        QString Text = "Go on";
        bool CanShow = true;
        THintInfo Info;
        Application->Hints().OnShowHint()(Text, CanShow, Info);
        QCOMPARE(Calls, 1);
        QCOMPARE(Text, QString("Go on!"));
        QVERIFY(!CanShow);
        QCOMPARE(Info.HideTimeout, 7);
        FlatHint->SetOnShowHint(nullptr);
        Application->Hints().OnShowHint()(Text, CanShow, Info); // empty: does nothing
        QCOMPARE(Text, QString("Go on!"));
    }

    void destructionPutsBackTheDefaults() {
        THintManager& Hints = Application->Hints();
        delete FlatHint;
        FlatHint = nullptr;
        QVERIFY(Hints.HintWindow());
        QVERIFY(!qobject_cast<TFlatHintWindow*>(Hints.HintWindow()));
        QVERIFY(!Hints.OnShowHint());

        // With hints off, creating the component leaves them off.
        Hints.SetShowHint(false);
        MakeFlatHint();
        QVERIFY(!Hints.ShowHint());
        QCOMPARE(Hints.HintWindow(), nullptr);
        Hints.SetShowHint(true);
        QVERIFY(qobject_cast<TFlatHintWindow*>(Hints.HintWindow()));
    }

    void placement_data() {
        QTest::addColumn<QRect>("Screen");
        QTest::addColumn<QPoint>("P");
        QTest::addColumn<int>("Corner");
        QTest::addColumn<QRect>("Rect");
        const QRect S(0, 0, 800, 600);
        const auto R = [](int L, int T) { return QRect(L, T, 100, 19); };
        QTest::newRow("top-left") << S << QPoint(100, 100) << int(acTopLeft) << R(112, 112);
        QTest::newRow("top-right") << S << QPoint(700, 100) << int(acTopRight) << R(595, 105);
        QTest::newRow("bottom-left") << S << QPoint(100, 500) << int(acBottomLeft) << R(105, 476);
        QTest::newRow("bottom-right") << S << QPoint(700, 500) << int(acBottomRight) << R(595, 476);
        QTest::newRow("vertical centre line")
            << S << QPoint(400, 100) << int(acTopRight) << R(295, 105);
        QTest::newRow("left of it") << S << QPoint(399, 100) << int(acTopLeft) << R(411, 112);
        QTest::newRow("horizontal centre line")
            << S << QPoint(100, 300) << int(acBottomLeft) << R(105, 276);
        QTest::newRow("above it") << S << QPoint(100, 299) << int(acTopLeft) << R(112, 311);
        QTest::newRow("centre") << S << QPoint(400, 300) << int(acBottomRight) << R(295, 276);
        QTest::newRow("origin") << S << QPoint(0, 0) << int(acTopLeft) << R(12, 12);
        QTest::newRow("last column, first row")
            << S << QPoint(799, 0) << int(acTopRight) << R(694, 5);
        QTest::newRow("first column, last row")
            << S << QPoint(0, 599) << int(acBottomLeft) << R(5, 575);
        QTest::newRow("right of the screen")
            << S << QPoint(800, 100) << int(acBottomRight) << R(695, 76);
        QTest::newRow("left of the screen")
            << S << QPoint(-1, 100) << int(acBottomRight) << R(-106, 76);
        QTest::newRow("above the screen")
            << S << QPoint(100, -1) << int(acBottomRight) << R(-5, -25);
        QTest::newRow("below the screen")
            << S << QPoint(100, 600) << int(acBottomRight) << R(-5, 576);
        QTest::newRow("odd width: 400 is the centre")
            << QRect(0, 0, 801, 601) << QPoint(400, 300) << int(acBottomRight) << R(295, 276);
        // A primary screen right of another monitor: its own quadrants count, and the left
        // monitor is off the primary screen.
        const QRect Right(1920, 0, 800, 600);
        QTest::newRow("offset primary, top-left")
            << Right << QPoint(2020, 100) << int(acTopLeft) << R(2032, 112);
        QTest::newRow("offset primary, top-right")
            << Right << QPoint(2620, 100) << int(acTopRight) << R(2515, 105);
        QTest::newRow("offset primary, bottom-left")
            << Right << QPoint(2020, 500) << int(acBottomLeft) << R(2025, 476);
        QTest::newRow("left of an offset primary")
            << Right << QPoint(100, 100) << int(acBottomRight) << R(-5, 76);
    }
    void placement() {
        QFETCH(QRect, Screen);
        QFETCH(QPoint, P);
        QFETCH(int, Corner);
        QFETCH(QRect, Rect);
        const auto Place = TFlatHintWindow::PlaceHint(Screen, P, QSize(100, 19));
        QCOMPARE(int(Place.Corner), Corner);
        QCOMPARE(Place.Rect, Rect);
    }

    void aLargeHintIsNotPulledBack() {
        const auto Place =
            TFlatHintWindow::PlaceHint(QRect(0, 0, 800, 600), QPoint(100, 100), QSize(900, 700));
        QCOMPARE(Place.Rect, QRect(112, 112, 900, 700));
    }

    void showsNextToThePointerWithoutActivation() {
        TFlatHintWindow Window;
        Show(Window, QPoint(100, 100), "Go on!");
        QVERIFY(Window.isVisible());
        QCOMPARE(Window.ArrowCorner(), acTopLeft);
        QCOMPARE(Window.geometry().topLeft(), QPoint(112, 112));
        QCOMPARE(Window.windowType(), Qt::ToolTip);
        QVERIFY(Window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(!Window.isActiveWindow());
        QCOMPARE(Window.Text(), QString("Go on!"));
        QCOMPARE(Window.FlatHint(), FlatHint);
    }

    void sizeFromTheMeasuredText_data() {
        QTest::addColumn<QString>("Text");
        QTest::addColumn<int>("MaxHintWidth");
        QTest::addColumn<int>("Lines");
        QTest::newRow("one line") << "Go on!" << 200 << 1;
        QTest::newRow("ampersand is a character") << "Save & go" << 200 << 1;
        QTest::newRow("line breaks") << "one\ntwo\nthree" << 200 << 3;
        QTest::newRow("wrapped") << "Press the right mouse button will speed up your operation!"
                                 << 200 << 2;
        QTest::newRow("a word per line at 22") << "ab cd ef" << 22 << 3;
        QTest::newRow("a word per line below 22") << "ab cd ef" << -5 << 3;
    }
    void sizeFromTheMeasuredText() {
        QFETCH(QString, Text);
        QFETCH(int, MaxHintWidth);
        QFETCH(int, Lines);
        FlatHint->SetMaxHintWidth(MaxHintWidth);
        TFlatHintWindow Window;
        Show(Window, QPoint(100, 100), Text);
        FlatHint->SetMaxHintWidth(200);
        const QFontMetrics M = Metrics();
        QCOMPARE(Window.height(), Lines * M.height() + 6);
        int Widest = 0;
        for (const QString& Word : Text.split(QRegularExpression("\\s")))
            Widest = qMax(Widest, M.horizontalAdvance(Word));
        if (Lines == 1 || Text.contains('\n')) {
            Widest = 0;
            for (const QString& Line : Text.split('\n'))
                Widest = qMax(Widest, M.horizontalAdvance(Line));
            QCOMPARE(Window.width(), Widest + 22);
        } else if (MaxHintWidth <= 22) {
            QCOMPARE(Window.width(), Widest + 22); // the widest word alone
        } else {
            QVERIFY(Window.width() <= MaxHintWidth);
            QVERIFY(Window.width() > MaxHintWidth / 2);
        }
    }

    void thisProgramsFontGivesNineteenPixels() {
        if (QFontInfo(FlatHint->Font()).family() != "MS Sans Serif")
            QSKIP("fonts-wine's MS Sans Serif is not installed");
        TFlatHintWindow Window;
        Show(Window, QPoint(100, 100), "Go on!");
        QCOMPARE(Window.height(), 19);
    }

    void aLongWordWidensTheWindow() {
        const QString Word = "Pneumonoultramicroscopicsilicovolcanoconiosis";
        QVERIFY(Metrics().horizontalAdvance(Word) > 178);
        TFlatHintWindow Window;
        Show(Window, QPoint(100, 100), Word);
        QCOMPARE(Window.width(), Metrics().horizontalAdvance(Word) + 22);
        QCOMPARE(Window.height(), Metrics().height() + 6);
    }

    void pixels_data() {
        QTest::addColumn<QPoint>("P");
        QTest::addColumn<int>("Corner");
        QTest::newRow("top-left") << QPoint(100, 100) << int(acTopLeft);
        QTest::newRow("top-right") << QPoint(700, 100) << int(acTopRight);
        QTest::newRow("bottom-left") << QPoint(100, 500) << int(acBottomLeft);
        QTest::newRow("bottom-right") << QPoint(700, 500) << int(acBottomRight);
    }
    // Every pixel outside the text rectangle is exactly the frame, the arrow box, the glyph or
    // the text area's fill; inside it, ink appears in the font colour over the fill.
    void pixels() {
        QFETCH(QPoint, P);
        QFETCH(int, Corner);
        TFlatHintWindow Window;
        const QImage Image = Show(Window, P, "Go on! & on");
        const auto C = TArrowCorner(Corner);
        QCOMPARE(Window.ArrowCorner(), C);
        const int W = Image.width(), H = Image.height();
        QCOMPARE(QSize(W, H), Window.size());

        const QPoint O(Left(C) ? 3 : W - 4, Top(C) ? 3 : H - 4);
        QCOMPARE(Window.ArrowPos(), O);
        std::set<std::pair<int, int>> GlyphPixels;
        for (int Dy = 0; Dy < 8; ++Dy)
            for (int Dx = 0; Dx < 8; ++Dx)
                if (Glyph[Dy][Dx] == 'X')
                    GlyphPixels.insert({O.x() + (Left(C) ? Dx : -Dx), O.y() + (Top(C) ? Dy : -Dy)});
        QCOMPARE(int(GlyphPixels.size()), 47);

        const QRect A = Left(C) ? RectLTRB(1, 1, 15, H - 1) : RectLTRB(W - 15, 1, W - 1, H - 1);
        const QRect TextRect =
            Left(C) ? RectLTRB(18, 2, W - 4, H - 2) : RectLTRB(4, 2, W - 18, H - 2);
        const QRgb Border = ColorToQColor(TestBorder).rgb(),
                   Back = ColorToQColor(TestBackground).rgb(),
                   ArrowBack = ColorToQColor(TestArrowBack).rgb(),
                   Arrow = ColorToQColor(TestArrow).rgb();
        int Ink = 0;
        for (int Y = 0; Y < H; ++Y) {
            for (int X = 0; X < W; ++X) {
                const QRgb Got = Image.pixel(X, Y);
                QRgb Want = Back;
                if (X == 0 || Y == 0 || X == W - 1 || Y == H - 1)
                    Want = Border;
                else if (GlyphPixels.count({X, Y}))
                    Want = Arrow;
                else if (A.contains(X, Y))
                    Want = ArrowBack;
                else if (TextRect.contains(X, Y) && Got != Back) {
                    ++Ink;
                    continue;
                }
                if (Got != Want)
                    QFAIL(qPrintable(QString("pixel %1,%2 is %3, not %4")
                                         .arg(X)
                                         .arg(Y)
                                         .arg(Got, 0, 16)
                                         .arg(Want, 0, 16)));
            }
        }
        QVERIFY(Ink > 0);
    }

    // At any scale each pixel of the glyph is a square of whole device pixels: 47 squares of
    // one device pixel at 1x, of 2 x 2 at 2x and, rounded, at 1.5x, where Qt alone would make
    // some strokes one device pixel wide and others two.
    void arrowKeepsWholePixelsAtAnyScale_data() {
        QTest::addColumn<qreal>("Ratio");
        QTest::addColumn<int>("Expected");
        QTest::newRow("1x") << qreal(1) << 47;
        QTest::newRow("1.5x") << qreal(1.5) << 47 * 4;
        QTest::newRow("2x") << qreal(2) << 47 * 4;
    }
    void arrowKeepsWholePixelsAtAnyScale() {
        QFETCH(qreal, Ratio);
        QFETCH(int, Expected);
        TFlatHintWindow Window;
        Show(Window, QPoint(100, 100), "Go on!");
        QImage Image(Window.size() * Ratio, QImage::Format_RGB32);
        Image.setDevicePixelRatio(Ratio);
        Window.render(&Image);
        const QRgb Arrow = ColorToQColor(TestArrow).rgb();
        int Ink = 0;
        for (int Y = 0; Y < Image.height(); ++Y)
            for (int X = 0; X < Image.width(); ++X)
                Ink += Image.pixel(X, Y) == Arrow;
        QCOMPARE(Ink, Expected);
    }

    void ampersandIsDrawnAsItself() {
        TFlatHintWindow Window;
        const QImage Image = Show(Window, QPoint(100, 100), "&");
        QCOMPARE(Window.width(), Metrics().horizontalAdvance("&") + 22);
        const QRgb Back = ColorToQColor(TestBackground).rgb();
        int Ink = 0;
        for (int Y = 2; Y < Image.height() - 2; ++Y)
            for (int X = 18; X < Image.width() - 4; ++X)
                Ink += Image.pixel(X, Y) != Back;
        QVERIFY(Ink > 0);
    }

    void withoutAComponentTheDefaultsApply() {
        delete FlatHint;
        FlatHint = nullptr;
        TFlatHintWindow Window;
        const QImage Image = Show(Window, QPoint(100, 100), "Go on!");
        QCOMPARE(Window.FlatHint(), nullptr);
        QCOMPARE(QColor(Image.pixel(5, 14)), QColor(255, 210, 83)); // arrow box, below the glyph
        QCOMPARE(QColor(Image.pixel(0, 0)), QColor(Qt::black));
        QCOMPARE(Window.height(), QFontMetrics(DefaultFont()).height() + 6);
        MakeFlatHint();
    }

    void anotherTextAtTheSamePlaceIsRepainted() {
        TFlatHintWindow Window;
        Show(Window, QPoint(100, 100), "ab");
        QCoreApplication::processEvents();
        int Paints = 0;
        struct TCounter : QObject {
            int& Count;
            explicit TCounter(int& C) : Count(C) {}
            bool eventFilter(QObject*, QEvent* E) override {
                Count += E->type() == QEvent::Paint;
                return false;
            }
        } Counter(Paints);
        Window.installEventFilter(&Counter);
        const QRect Before = Window.geometry();
        QCursor::setPos(QPoint(100, 100));
        Window.ShowHintAt(QRect(), "ba");
        QCOMPARE(Window.geometry(), Before);
        QTRY_VERIFY(Paints > 0);
        Window.removeEventFilter(&Counter);
    }
};

TITORA_HINT_TEST_MAIN(TestFlatHintUnit)
#include "tst_flathintunit.moc"
