// Note windows: the letter shape is rebuilt whenever a see-through memo's
// text, font or size changes, and the wallpaper memos are composed on every
// drawing pass.
#include "memos/NoteTones.h"
#include "render/DeskTopMemo.h"
#include "render/FontMapping.h"
#include "render/NoteRegions.h"

#include <QPainter>

#include <benchmark/benchmark.h>

using namespace velmora;

namespace {

void BM_BuildTextRegion(benchmark::State& state) {
    ensureGuiApplication();
    const QFont font("Noto Sans CJK JP", 14);
    QStringList lines;
    for (int i = 0; i < 10; ++i) {
        lines << QStringLiteral("%1行目：打ち合わせは会議室Ｂで十時から").arg(i + 1);
    }
    const QString text = lines.join(QStringLiteral("\r\n"));
    const QSize window(400, 300);
    const QSize client(400 - 2 * kNoteFrameWidth, 300 - 2 * kNoteFrameWidth);
    for (auto _ : state) {
        benchmark::DoNotOptimize(buildTextRegion(window, client, font, text));
    }
}
BENCHMARK(BM_BuildTextRegion)->Unit(benchmark::kMillisecond);

void BM_DrawDeskTopMemo(benchmark::State& state) {
    ensureGuiApplication();
    QImage base(1920, 1080, QImage::Format_RGB32);
    base.fill(Qt::darkCyan);
    std::vector<WallpaperMemo> memos;
    for (int i = 0; i < 20; ++i) {
        const MemoLook look{i % 3, (i / 3) % 3, i % 4, 1};
        const bool whiteText = i % 5 == 0;
        QImage client(200, 150, QImage::Format_RGB32);
        client.fill(look.trans != 0 ? (whiteText ? Qt::black : Qt::white) : Qt::yellow);
        {
            QPainter painter(&client);
            painter.setFont(QFont("Noto Sans CJK JP", 14));
            painter.setPen(whiteText ? Qt::white : Qt::darkBlue);
            painter.drawText(client.rect(), Qt::AlignLeft | Qt::AlignTop,
                             QStringLiteral("買い物\n牛乳と卵\n会議の資料"));
        }
        memos.push_back(WallpaperMemo{QPoint(40 + (i % 5) * 370, 40 + (i / 5) * 250), client, look, 0x00336699,
                                      whiteText ? 0x00FFFFFF : 0x00800000});
    }
    for (auto _ : state) {
        QImage calendar = base.copy();
        drawDeskTopMemo(calendar, memos, kNoteFrameWidth, kNoteFrameWidth);
        benchmark::DoNotOptimize(calendar);
    }
}
BENCHMARK(BM_DrawDeskTopMemo)->Unit(benchmark::kMillisecond);

} // namespace
