// SPDX-License-Identifier: GPL-3.0-or-later
// Paints Corvelle's own icon artwork into resources/icons (run by hand when the artwork
// changes; the PNG files are what the program compiles in):
//   g++ -std=c++20 -fPIC paint_icons.cpp $(pkg-config --cflags --libs Qt6Gui) -o /tmp/paint
//   QT_QPA_PLATFORM=offscreen /tmp/paint resources/icons
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <functional>
#include <tuple>

using Draw = std::function<void(QPainter&)>;

static void Save(const QString& file, int size, const Draw& draw) {
    QImage img(size, size, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    draw(p);
    p.end();
    img.save(file);
}

static void Page(QPainter& p, QColor fold) {
    QPainterPath path;
    path.moveTo(6, 2);
    path.lineTo(21, 2);
    path.lineTo(27, 8);
    path.lineTo(27, 30);
    path.lineTo(6, 30);
    path.closeSubpath();
    p.setPen(QPen(QColor(90, 90, 90), 1.5));
    p.setBrush(Qt::white);
    p.drawPath(path);
    p.setBrush(fold);
    p.drawPolygon(QPolygonF({{21, 2}, {27, 8}, {21, 8}}));
}

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QString dir = argc > 1 ? argv[1] : ".";
    // Nine file types, in icon-index order.
    const std::vector<std::pair<QString, Draw>> types = {
        {"picture",
         [](QPainter& p) {
             p.setPen(QPen(QColor(60, 60, 60), 1.5));
             p.setBrush(QColor(140, 200, 250));
             p.drawRect(3, 6, 26, 20);
             p.setBrush(QColor(60, 160, 60));
             p.setPen(Qt::NoPen);
             p.drawPolygon(QPolygonF({{4, 25}, {13, 13}, {20, 22}, {24, 17}, {28, 25}}));
             p.setBrush(QColor(250, 210, 40));
             p.drawEllipse(QPointF(22, 11), 3, 3);
         }},
        {"iconfile",
         [](QPainter& p) {
             p.setPen(QPen(QColor(60, 60, 60), 1.5));
             p.setBrush(QColor(250, 240, 200));
             p.drawRoundedRect(4, 4, 24, 24, 4, 4);
             p.setBrush(QColor(220, 60, 60));
             p.drawEllipse(QPointF(16, 16), 7, 7);
         }},
        {"document",
         [](QPainter& p) {
             Page(p, QColor(200, 200, 200));
             p.setPen(QPen(QColor(60, 90, 160), 1.5));
             for (int y = 12; y <= 26; y += 4) p.drawLine(9, y, 24, y);
         }},
        {"midi",
         [](QPainter& p) {
             p.setPen(QPen(QColor(40, 40, 40), 1.5));
             p.setBrush(Qt::white);
             p.drawRect(2, 8, 28, 18);
             p.setBrush(QColor(40, 40, 40));
             for (int x = 6; x < 28; x += 5) p.drawRect(x, 8, 3, 10);
         }},
        {"audio",
         [](QPainter& p) {
             p.setPen(Qt::NoPen);
             p.setBrush(QColor(120, 60, 170));
             p.drawEllipse(QPointF(10, 24), 5, 4);
             p.drawEllipse(QPointF(23, 21), 5, 4);
             p.drawRect(13, 6, 2.5, 18);
             p.drawRect(26, 3, 2.5, 18);
             p.drawPolygon(QPolygonF({{13, 6}, {28.5, 3}, {28.5, 8}, {13, 11}}));
         }},
        {"video",
         [](QPainter& p) {
             p.setPen(QPen(QColor(40, 40, 40), 1.5));
             p.setBrush(QColor(70, 70, 70));
             p.drawRect(3, 5, 26, 22);
             p.setBrush(Qt::white);
             p.setPen(Qt::NoPen);
             for (int y = 7; y < 26; y += 5) {
                 p.drawRect(5, y, 3, 3);
                 p.drawRect(24, y, 3, 3);
             }
             p.setBrush(QColor(240, 120, 40));
             p.drawPolygon(QPolygonF({{12, 10}, {21, 16}, {12, 22}}));
         }},
        {"webpage",
         [](QPainter& p) {
             p.setPen(QPen(QColor(30, 90, 170), 1.5));
             p.setBrush(QColor(200, 230, 255));
             p.drawEllipse(QPointF(16, 16), 13, 13);
             p.setBrush(Qt::NoBrush);
             p.drawEllipse(QPointF(16, 16), 6, 13);
             p.drawLine(3, 16, 29, 16);
             p.drawLine(16, 3, 16, 29);
         }},
        {"cursor",
         [](QPainter& p) {
             p.setPen(QPen(Qt::black, 1.5));
             p.setBrush(Qt::white);
             p.drawPolygon(
                 QPolygonF({{8, 3}, {8, 26}, {13, 21}, {17, 29}, {21, 27}, {17, 19}, {24, 19}}));
         }},
        {"other", [](QPainter& p) { Page(p, QColor(220, 220, 220)); }},
    };
    for (size_t i = 0; i < types.size(); ++i) {
        Save(QString("%1/type%2-32.png").arg(dir).arg(i + 1), 32, types[i].second);
        Save(QString("%1/type%2-13.png").arg(dir).arg(i + 1), 13, types[i].second);
    }
    // Fourteen toolbar images, in image-number order.
    auto folder = [](QPainter& p, QColor c) {
        p.setPen(QPen(c.darker(170), 1.5));
        p.setBrush(c.darker(115));
        p.drawRect(3, 7, 11, 5);
        p.setBrush(c);
        p.drawRect(3, 10, 26, 17);
    };
    auto arrow = [](QPainter& p, bool left) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 120, 60));
        QPolygonF a({{4, 16}, {16, 5}, {16, 11}, {28, 11}, {28, 21}, {16, 21}, {16, 27}});
        if (!left)
            for (QPointF& pt : a) pt.setX(32 - pt.x());
        p.drawPolygon(a);
    };
    auto view = [](QPainter& p, int kind) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(50, 90, 160));
        if (kind == 0) {
            p.drawRect(3, 3, 11, 11);
            p.drawRect(18, 3, 11, 11);
            p.drawRect(3, 18, 11, 11);
            p.drawRect(18, 18, 11, 11);
        }
        if (kind == 1)
            for (int y = 3; y < 30; y += 9)
                for (int x = 3; x < 30; x += 14) {
                    p.drawRect(x, y, 5, 5);
                    p.drawRect(x + 7, y + 1, 6, 3);
                }
        if (kind == 2)
            for (int y = 3; y < 30; y += 7) {
                p.drawRect(3, y, 5, 5);
                p.drawRect(11, y + 1, 18, 3);
            }
        if (kind == 3) {
            p.setBrush(QColor(160, 170, 190));
            p.drawRect(2, 3, 28, 5);
            p.setBrush(QColor(50, 90, 160));
            for (int y = 11; y < 30; y += 6) {
                p.drawRect(3, y, 12, 3);
                p.drawRect(18, y, 10, 3);
            }
        }
    };
    const std::vector<Draw> tools = {
        [](QPainter& p) {
            p.setPen(QPen(QColor(60, 60, 60), 2));
            p.setBrush(QColor(190, 150, 100));
            p.drawRect(6, 3, 16, 26);
            p.setBrush(QColor(200, 40, 40));
            p.setPen(Qt::NoPen);
            p.drawPolygon(
                QPolygonF({{14, 16}, {22, 9}, {22, 13}, {30, 13}, {30, 19}, {22, 19}, {22, 23}}));
        },
        [folder](QPainter& p) {
            folder(p, QColor(240, 200, 80));
            p.setPen(QPen(QColor(30, 140, 30), 3));
            p.drawLine(22, 2, 22, 12);
            p.drawLine(17, 7, 27, 7);
        },
        [folder](QPainter& p) {
            folder(p, QColor(240, 200, 80));
            p.setPen(QPen(QColor(40, 90, 170), 2));
            p.setBrush(Qt::white);
            p.drawRect(15, 14, 10, 10);
            p.drawRect(19, 18, 10, 10);
        },
        [folder](QPainter& p) {
            folder(p, QColor(240, 200, 80));
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(40, 90, 170));
            p.drawPolygon(
                QPolygonF({{12, 14}, {22, 14}, {22, 10}, {30, 18}, {22, 26}, {22, 22}, {12, 22}}));
        },
        [folder](QPainter& p) {
            folder(p, QColor(240, 200, 80));
            p.setPen(QPen(QColor(200, 30, 30), 3.5));
            p.drawLine(14, 12, 28, 26);
            p.drawLine(28, 12, 14, 26);
        },
        [folder](QPainter& p) {
            folder(p, QColor(240, 200, 80));
            p.setPen(QPen(QColor(40, 40, 40), 2));
            p.setBrush(Qt::white);
            p.drawRect(9, 15, 20, 8);
            p.drawLine(12, 13, 12, 25);
        },
        [view](QPainter& p) { view(p, 0); },
        [view](QPainter& p) { view(p, 1); },
        [view](QPainter& p) { view(p, 2); },
        [view](QPainter& p) { view(p, 3); },
        [folder](QPainter& p) {
            p.save();
            p.scale(0.6, 0.6);
            folder(p, QColor(240, 200, 80));
            p.restore();
            p.save();
            p.translate(12, 12);
            p.scale(0.6, 0.6);
            folder(p, QColor(120, 150, 190));
            p.restore();
        },
        [](QPainter& p) {
            p.setPen(QPen(QColor(30, 130, 60), 3.5));
            p.setBrush(Qt::NoBrush);
            p.drawArc(QRectF(5, 5, 22, 22), 60 * 16, 290 * 16);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(30, 130, 60));
            p.drawPolygon(QPolygonF({{19, 1}, {28, 6}, {19, 12}}));
        },
        [arrow](QPainter& p) { arrow(p, true); },
        [arrow](QPainter& p) { arrow(p, false); },
    };
    // 16 px, and 32 px for screens scaled by two (Qt picks "@2x" by itself).
    for (size_t i = 0; i < tools.size(); ++i) {
        Save(QString("%1/tool%2.png").arg(dir).arg(i + 1), 16, tools[i]);
        Save(QString("%1/tool%2@2x.png").arg(dir).arg(i + 1), 32, tools[i]);
    }
    // The two logos: 384 x 114 for the splash, 192 x 57 for the About banner.
    for (const auto& [w, h, file] :
         {std::tuple{384, 114, "logo-large.png"}, std::tuple{192, 57, "logo-small.png"}}) {
        QImage img(w, h, QImage::Format_ARGB32);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        QLinearGradient g(0, 0, w, h);
        g.setColorAt(0, QColor(30, 70, 130));
        g.setColorAt(1, QColor(60, 140, 170));
        p.fillRect(img.rect(), g);
        const double k = h / 114.0;
        p.scale(k, k);
        // A folder with an arrow rising out of it: tidying by raising.
        p.setPen(QPen(QColor(250, 220, 120), 3));
        p.setBrush(QColor(240, 190, 70));
        p.drawRect(18, 40, 30, 14);
        p.drawRect(18, 50, 70, 46);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawPolygon(
            QPolygonF({{53, 18}, {73, 40}, {61, 40}, {61, 78}, {45, 78}, {45, 40}, {33, 40}}));
        QFont f("Liberation Sans");
        f.setPixelSize(58);
        f.setBold(true);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(QRectF(104, 14, 280, 70), Qt::AlignLeft | Qt::AlignVCenter, "Corvelle");
        f.setPixelSize(16);
        f.setBold(false);
        p.setFont(f);
        p.setPen(QColor(220, 235, 245));
        p.drawText(QRectF(108, 78, 270, 24), Qt::AlignLeft | Qt::AlignVCenter,
                   "folder tidy \u00b7 browse \u00b7 commands");
        p.end();
        img.save(dir + "/" + file);
    }
    return 0;
}
