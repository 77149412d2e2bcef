// The simulated desktop's painting, graphic-object accounting, menus and the resource script.
#include <gtest/gtest.h>

#include <functional>
#include <span>
#include <string>
#include <vector>

#include "framework/afxwin.h"
#include "framework/sim/desktop.h"
#include "framework/sim/resources.h"
#include "resource.h"

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// A frame whose paint is whatever the test says.
class Canvas : public CFrameWnd {
  public:
    std::function<void(CPaintDC&)> paint;

    const AFX_MSGMAP* GetMessageMap() const override {
        static const AFX_MSGMAP_ENTRY entries[] = {ON_WM_PAINT<&Canvas::OnPaint>()};
        static const AFX_MSGMAP map{CFrameWnd::GetMessageMap(), entries};
        return &map;
    }

  private:
    void OnPaint() {
        CPaintDC dc(this);
        if (paint) {
            paint(dc);
        }
    }
};

Canvas* OpenCanvas(UINT menu = 0) {
    auto* canvas = new Canvas;
    EXPECT_TRUE(
        canvas->Create(nullptr, "canvas", WS_VISIBLE, CRect{0, 0, 200, 150}, nullptr, menu));
    return canvas;
}

void FillClient(CPaintDC& dc, CWnd& window, COLORREF color) {
    CBrush brush;
    brush.CreateSolidBrush(color);
    CBrush* old = dc.SelectObject(&brush);
    CRect r;
    window.GetClientRect(&r);
    dc.Rectangle(r.left, r.top, r.right, r.bottom);
    dc.SelectObject(old);
}

TEST(FrameworkPaint, TheUpdateRegionIsTheUnionOfTheInvalidations) {
    sim::Desktop desktop;
    Canvas* canvas = OpenCanvas();
    COLORREF color = kRed;
    canvas->paint = [&](CPaintDC& dc) { FillClient(dc, *canvas, color); };
    ASSERT_TRUE(desktop.RunPending());
    const HWND hwnd = canvas->m_hWnd;
    EXPECT_EQ(desktop.PixelAt(hwnd, 150, 100).fillColor, kRed);

    // Two separate rectangles and one inside the first, without erasing: one paint, and only
    // their union shows the new colour, not the box around them.
    color = kBlue;
    const CRect a{10, 10, 40, 40};
    const CRect b{100, 80, 120, 100};
    const CRect inner{20, 20, 30, 30};
    canvas->InvalidateRect(&a, FALSE);
    canvas->InvalidateRect(&b, FALSE);
    canvas->InvalidateRect(&inner, FALSE);
    desktop.ClearRecords();
    ASSERT_TRUE(desktop.RunPending());
    EXPECT_EQ(desktop.PaintCount(hwnd), 2u);
    ASSERT_EQ(desktop.PaintOps().size(), 1u);
    const sim::PaintOp& op = desktop.PaintOps()[0];
    EXPECT_EQ(op.kind, sim::PaintOp::Kind::Rectangle);
    EXPECT_TRUE(op.visible);
    EXPECT_EQ(op.brushColor, kBlue);
    EXPECT_EQ(op.penColor, RGB(0, 0, 0));
    EXPECT_EQ(op.paintNumber, 2u);
    for (CPoint p :
         {CPoint{10, 10}, CPoint{39, 39}, CPoint{25, 25}, CPoint{100, 80}, CPoint{119, 99}}) {
        EXPECT_EQ(desktop.PixelAt(hwnd, p.x, p.y).fillColor, kBlue) << p.x << "," << p.y;
    }
    for (CPoint p :
         {CPoint{40, 40}, CPoint{70, 60}, CPoint{9, 10}, CPoint{120, 99}, CPoint{150, 20}}) {
        EXPECT_EQ(desktop.PixelAt(hwnd, p.x, p.y).fillColor, kRed) << p.x << "," << p.y;
    }

    // Many scattered invalidations still make one paint that covers every one of them.
    color = kRed;
    for (int i = 0; i < 30; ++i) {
        const CRect r{i * 6, i * 4, i * 6 + 2, i * 4 + 2};
        canvas->InvalidateRect(&r, FALSE);
    }
    ASSERT_TRUE(desktop.RunPending());
    EXPECT_EQ(desktop.PaintCount(hwnd), 3u);
    for (int i = 0; i < 30; ++i) {
        EXPECT_EQ(desktop.PixelAt(hwnd, i * 6 + 1, i * 4 + 1).fillColor, kRed) << i;
    }

    // An erasing invalidation shows the class background where the paint draws nothing.
    canvas->paint = nullptr;
    canvas->InvalidateRect(&b, TRUE);
    ASSERT_TRUE(desktop.RunPending());
    EXPECT_EQ(desktop.PixelAt(hwnd, 110, 90).kind, sim::Pixel::Kind::Background);
    EXPECT_EQ(desktop.PixelAt(hwnd, 25, 25).kind, sim::Pixel::Kind::Fill);
}

TEST(FrameworkPaint, BitBltRecordsTheImageItsColoursAndClip) {
    sim::Desktop desktop;
    Canvas* canvas = OpenCanvas();
    const HWND hwnd = canvas->m_hWnd;
    canvas->paint = [&](CPaintDC& dc) {
        CBitmap back;
        EXPECT_TRUE(back.LoadBitmap(IDB_CARD_BACK));
        CBitmap face;
        EXPECT_TRUE(face.LoadBitmap(IDB_RANK_STRIP));
        CDC memory;
        EXPECT_TRUE(memory.CreateCompatibleDC(&dc));
        CBitmap* original = memory.SelectObject(&back);
        EXPECT_NE(original, nullptr) << "the context's own bitmap, to be selected back";
        dc.BitBlt(12, 6, 48, 64, &memory, 0, 0, SRCCOPY);
        EXPECT_EQ(memory.SelectObject(&face), &back);
        EXPECT_EQ(dc.SetTextColor(kRed), RGB(0, 0, 0));
        EXPECT_EQ(dc.SetBkColor(kBlue), RGB(255, 255, 255));
        dc.BitBlt(100, 20, 33, 30, &memory, 66, 0, SRCCOPY);
        dc.TextOut(5, 120, "ｶｰﾄﾞ札", 15);
        EXPECT_EQ(memory.SelectObject(original), &face);
        EXPECT_TRUE(memory.DeleteDC());
        EXPECT_TRUE(back.DeleteObject());
        EXPECT_TRUE(face.DeleteObject());
    };
    ASSERT_TRUE(desktop.RunPending());

    const auto& ops = desktop.PaintOps();
    ASSERT_EQ(ops.size(), 3u);
    EXPECT_EQ(ops[0].bitmapId, static_cast<UINT>(IDB_CARD_BACK));
    EXPECT_EQ(ops[0].dest, (CRect{12, 6, 60, 70}));
    EXPECT_EQ(ops[0].textColor, RGB(0, 0, 0));
    EXPECT_EQ(ops[0].bkColor, RGB(255, 255, 255));
    EXPECT_EQ(ops[1].bitmapId, static_cast<UINT>(IDB_RANK_STRIP));
    EXPECT_EQ(ops[1].sourceX, 66);
    EXPECT_EQ(ops[1].textColor, kRed);
    EXPECT_EQ(ops[1].bkColor, kBlue);
    EXPECT_EQ(ops[2].kind, sim::PaintOp::Kind::Text);
    EXPECT_EQ(ops[2].text, "ｶｰﾄﾞ札");
    EXPECT_EQ(ops[2].dest.Width(), 4 * 8 + 16) << "half-width cells and one full-width";
    for (const sim::PaintOp& op : ops) {
        EXPECT_TRUE(op.visible);
        EXPECT_EQ(op.window, hwnd);
    }

    const sim::Pixel image = desktop.PixelAt(hwnd, 110, 25);
    EXPECT_EQ(image.kind, sim::Pixel::Kind::Image);
    EXPECT_EQ(image.bitmapId, static_cast<UINT>(IDB_RANK_STRIP));
    EXPECT_EQ(image.sourceX, 76);
    EXPECT_EQ(image.sourceY, 5);
    EXPECT_EQ(image.textColor, kRed);
    const sim::Pixel text = desktop.PixelAt(hwnd, 6, 121);
    EXPECT_EQ(text.kind, sim::Pixel::Kind::Text);
    EXPECT_EQ(text.bkColor, kBlue);
    EXPECT_EQ(desktop.PixelAt(hwnd, 150, 100).kind, sim::Pixel::Kind::Background);

    // Only what lies in the update region reaches the screen; the rest is recorded unseen.
    desktop.ClearRecords();
    const CRect corner{0, 0, 20, 20};
    canvas->InvalidateRect(&corner, FALSE);
    ASSERT_TRUE(desktop.RunPending());
    ASSERT_EQ(desktop.PaintOps().size(), 3u);
    EXPECT_TRUE(desktop.PaintOps()[0].visible);
    EXPECT_FALSE(desktop.PaintOps()[1].visible);
    EXPECT_FALSE(desktop.PaintOps()[2].visible);

    // Nothing is recorded with recording off, though the paint runs and is counted.
    desktop.ClearRecords();
    desktop.SetRecording(false);
    canvas->Invalidate();
    ASSERT_TRUE(desktop.RunPending());
    EXPECT_TRUE(desktop.PaintOps().empty());
    EXPECT_EQ(desktop.PaintCount(hwnd), 3u);

    // A live screen sees each paint's clip and erase, and its visible drawings, recorded or not.
    struct Screen : sim::PaintSink {
        std::vector<std::vector<CRect>> clips;
        std::vector<bool> erases;
        std::vector<sim::PaintOp> drawn;
        void BeginPaint(HWND, std::span<const CRect> clip, bool erase) override {
            clips.emplace_back(clip.begin(), clip.end());
            erases.push_back(erase);
        }
        void Draw(const sim::PaintOp& op) override { drawn.push_back(op); }
    } screen;
    desktop.SetPaintSink(&screen);
    const CRect face{100, 20, 110, 30};
    canvas->InvalidateRect(&corner, TRUE);
    canvas->InvalidateRect(&face, FALSE);
    ASSERT_TRUE(desktop.RunPending());
    ASSERT_EQ(screen.clips.size(), 1u);
    EXPECT_EQ(screen.clips[0], (std::vector<CRect>{corner, face}));
    EXPECT_EQ(screen.erases, std::vector<bool>{true});
    ASSERT_EQ(screen.drawn.size(), 2u) << "the text lies outside the clip";
    EXPECT_EQ(screen.drawn[0].bitmapId, static_cast<UINT>(IDB_CARD_BACK));
    EXPECT_EQ(screen.drawn[1].sourceX, 66);
    EXPECT_EQ(screen.drawn[1].textColor, kRed);
    EXPECT_TRUE(desktop.PaintOps().empty()) << "still nothing recorded";
    desktop.SetPaintSink(nullptr);
    canvas->Invalidate();
    ASSERT_TRUE(desktop.RunPending());
    EXPECT_EQ(screen.clips.size(), 1u);
    EXPECT_EQ(desktop.PaintLeaks(), 0);
    EXPECT_EQ(desktop.LiveGdiObjects(), 0);
    EXPECT_EQ(desktop.LiveMemoryDCs(), 0);
}

TEST(FrameworkPaint, LeaksAndRefusedDeletesAreCounted) {
    sim::Desktop desktop;
    Canvas* canvas = OpenCanvas();
    ASSERT_TRUE(desktop.RunPending());

    // A bitmap loaded and never deleted outlives the paint.
    CBitmap kept;
    canvas->paint = [&](CPaintDC&) { EXPECT_TRUE(kept.LoadBitmap(IDB_SPADE)); };
    canvas->Invalidate();
    ASSERT_TRUE(desktop.RunPending());
    EXPECT_EQ(desktop.PaintLeaks(), 1);
    EXPECT_EQ(desktop.LiveGdiObjects(), 1);
    EXPECT_TRUE(kept.DeleteObject());
    EXPECT_EQ(desktop.LiveGdiObjects(), 0);

    // A memory context that is never deleted.
    CDC* leaked = nullptr;
    canvas->paint = [&](CPaintDC& dc) {
        leaked = new CDC;
        leaked->CreateCompatibleDC(&dc);
    };
    canvas->Invalidate();
    ASSERT_TRUE(desktop.RunPending());
    EXPECT_EQ(desktop.PaintLeaks(), 2);
    EXPECT_EQ(desktop.LiveMemoryDCs(), 1);
    delete leaked;  // the wrapper deletes its context
    EXPECT_EQ(desktop.LiveMemoryDCs(), 0);

    // Deleting a bitmap still selected into a context is refused, and the bitmap stays.
    BOOL deleted = TRUE;
    canvas->paint = [&](CPaintDC& dc) {
        CDC memory;
        memory.CreateCompatibleDC(&dc);
        CBitmap bitmap;
        bitmap.LoadBitmap(IDB_HEART);
        memory.SelectObject(&bitmap);
        deleted = bitmap.DeleteObject();
    };
    canvas->Invalidate();
    ASSERT_TRUE(desktop.RunPending());
    EXPECT_FALSE(deleted);
    EXPECT_EQ(desktop.FailedDeletes(), 1);
    EXPECT_EQ(desktop.LiveGdiObjects(), 1) << "the refused bitmap is lost for good";
    EXPECT_EQ(desktop.PaintLeaks(), 3);

    // A bitmap goes into one memory context at a time, never into a window's context.
    canvas->paint = [&](CPaintDC& dc) {
        CBitmap bitmap;
        bitmap.LoadBitmap(IDB_CLUB);
        CDC first;
        CDC second;
        first.CreateCompatibleDC(&dc);
        second.CreateCompatibleDC(&dc);
        CBitmap* original = first.SelectObject(&bitmap);
        EXPECT_NE(original, nullptr);
        EXPECT_EQ(second.SelectObject(&bitmap), nullptr);
        EXPECT_EQ(dc.SelectObject(&bitmap), nullptr);
        first.SelectObject(original);
        EXPECT_TRUE(bitmap.DeleteObject());
        // Unknown bitmaps do not load; stock objects are never counted or deleted.
        CBitmap missing;
        EXPECT_FALSE(missing.LoadBitmap(4242));
        EXPECT_FALSE(missing.DeleteObject());
        CPen pen;
        EXPECT_TRUE(pen.CreatePen(PS_SOLID, 1, kRed));
        CPen* oldPen = dc.SelectObject(&pen);
        dc.SelectObject(oldPen);
        HGDIOBJ penHandle = pen.Detach();
        CPen again;
        again.m_hObject = penHandle;  // deleted through another wrapper
    };
    canvas->Invalidate();
    ASSERT_TRUE(desktop.RunPending());
    EXPECT_EQ(desktop.PaintLeaks(), 3);
    EXPECT_EQ(desktop.FailedDeletes(), 1);
    EXPECT_EQ(desktop.LiveGdiObjects(), 1);
    EXPECT_EQ(desktop.LiveMemoryDCs(), 0);
    CBrush stock;
    stock.m_hObject = GetStockObject(WHITE_BRUSH);
    EXPECT_TRUE(stock.DeleteObject());
    EXPECT_EQ(desktop.LiveGdiObjects(), 1);
}

std::vector<std::string> Labels(const std::vector<sim::MenuItemInfo>& items) {
    std::vector<std::string> labels;
    labels.reserve(items.size());
    for (const auto& item : items) {
        labels.push_back(item.separator ? "-" : item.label);
    }
    return labels;
}

TEST(FrameworkResources, TheMainMenuAsTheScriptDeclaresIt) {
    sim::Desktop desktop;
    Canvas* first = OpenCanvas(IDR_MAINMENU);
    Canvas* second = OpenCanvas(IDR_MAINMENU);
    const auto bar = desktop.Menu(first->m_hWnd);
    ASSERT_EQ(bar.size(), 2u);
    EXPECT_EQ(Labels(bar), (std::vector<std::string>{"ゲーム(&G)", "その他(&O)"}));
    const auto& game = bar[0].items;
    EXPECT_EQ(Labels(game), (std::vector<std::string>{"人数・ｺﾝﾋﾟｭｰﾀｰ設定(&C)...", "サウンド(&S)",
                                                      "&BGMの変更...", "-", "ニューゲーム(&R)",
                                                      "裏技(&Z)...", "ﾎﾟｰﾛﾈｰｺ!!!(&E)"}));
    const std::vector<UINT> ids = {ID_GAME_SETTINGS, ID_GAME_SOUND, ID_GAME_MUSIC, 0,
                                   ID_GAME_NEW,      ID_GAME_TRICK, ID_GAME_EXIT};
    for (std::size_t i = 0; i < ids.size(); ++i) {
        EXPECT_EQ(game[i].id, ids[i]) << i;
        EXPECT_EQ(game[i].checked, ids[i] == ID_GAME_SOUND) << i;
        EXPECT_EQ(game[i].grayed, ids[i] == ID_GAME_MUSIC || ids[i] == ID_GAME_TRICK) << i;
    }
    EXPECT_TRUE(game[3].separator);
    const auto& other = bar[1].items;
    ASSERT_EQ(other.size(), 2u);
    EXPECT_EQ(other[0].id, static_cast<UINT>(ID_OTHER_MYSTERY));
    EXPECT_TRUE(other[0].grayed);
    EXPECT_EQ(other[1].id, static_cast<UINT>(ID_HELP_VERSION));
    EXPECT_EQ(other[1].label, "バージョン(&V)...");
    EXPECT_FALSE(other[1].grayed);

    // Each window has its own copy; the menu wrapper reads and changes its states.
    CMenu menu;
    ASSERT_TRUE(menu.Attach(first->GetMenu()));
    EXPECT_EQ(menu.GetMenuState(ID_GAME_SOUND, MF_BYCOMMAND), MF_CHECKED);
    EXPECT_EQ(menu.GetMenuState(ID_GAME_MUSIC, MF_BYCOMMAND), MF_GRAYED);
    EXPECT_EQ(menu.GetMenuState(ID_GAME_NEW, MF_BYCOMMAND), 0u);
    EXPECT_EQ(menu.GetMenuState(12345, MF_BYCOMMAND), static_cast<UINT>(-1));
    EXPECT_EQ(menu.CheckMenuItem(ID_GAME_SOUND, MF_BYCOMMAND | MF_UNCHECKED), MF_CHECKED);
    EXPECT_EQ(menu.CheckMenuItem(ID_GAME_SOUND, MF_BYCOMMAND | MF_UNCHECKED), MF_UNCHECKED);
    EXPECT_EQ(menu.CheckMenuItem(ID_GAME_NEW, MF_BYCOMMAND | MF_CHECKED), MF_UNCHECKED);
    EXPECT_EQ(menu.CheckMenuItem(12345, MF_CHECKED), static_cast<UINT>(-1));
    EXPECT_FALSE(desktop.Menu(first->m_hWnd)[0].items[1].checked);
    EXPECT_TRUE(desktop.Menu(first->m_hWnd)[0].items[4].checked);
    EXPECT_TRUE(desktop.Menu(second->m_hWnd)[0].items[1].checked);
    EXPECT_EQ(menu.Detach(), first->GetMenu());

    // A menu the script lacks: the frame cannot be made.
    int destroyed = 0;
    class Counted : public CFrameWnd {
      public:
        explicit Counted(int& n) : n_(n) {}
        ~Counted() override { ++n_; }

      private:
        int& n_;
    };
    auto* orphan = new Counted(destroyed);
    EXPECT_FALSE(
        orphan->Create(nullptr, "no menu", WS_CAPTION, CFrameWnd::rectDefault, nullptr, 4242));
    EXPECT_EQ(destroyed, 1) << "the frame deletes itself, as the framework's does";
}

TEST(FrameworkResources, TheSettingsDialogTemplate) {
    const sim::DialogTemplate* settings = sim::Desktop::FindDialogTemplate(IDD_SETTINGS);
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings->caption, "人数・ｺﾝﾋﾟｭｰﾀｰ設定");
    EXPECT_EQ(settings->rect, (CRect{0, 0, 240, 135}));
    EXPECT_NE(settings->style & WS_CAPTION, 0u);
    EXPECT_EQ(settings->controls.size(), 24u);
    auto find = [&](int id) -> const sim::ControlTemplate* {
        for (const auto& c : settings->controls) {
            if (c.id == id) {
                return &c;
            }
        }
        return nullptr;
    };
    ASSERT_NE(find(IDC_BATTLE_MODE), nullptr);
    EXPECT_TRUE(find(IDC_BATTLE_MODE)->disabled);
    EXPECT_EQ(find(IDC_BATTLE_MODE)->kind, sim::ControlTemplate::Kind::AutoCheckBox);
    EXPECT_FALSE(find(IDC_COMPUTER_01)->disabled);
    EXPECT_TRUE(find(IDC_HUMANS_1)->group);
    EXPECT_FALSE(find(IDC_HUMANS_NONE)->group);
    EXPECT_EQ(find(IDC_HUMANS_NONE)->text, "なし");
    EXPECT_EQ(find(IDOK)->kind, sim::ControlTemplate::Kind::DefPushButton);
    // Places in dialog units, for a host that lays the dialog out itself.
    EXPECT_EQ(find(IDC_BATTLE_MODE)->rect, (CRect{10, 120, 100, 130}));
    EXPECT_EQ(settings->controls[19].rect, (CRect{180, 60, 207, 95})) << "CONTROL: after its style";
    EXPECT_EQ(settings->controls[19].text, "117");
    EXPECT_EQ(settings->fontSize, 12);
    EXPECT_EQ(settings->fontFace, "ＭＳ 明朝");
    int texts = 0;
    for (const auto& c : settings->controls) {
        if (c.kind == sim::ControlTemplate::Kind::Text && c.className.empty()) {
            EXPECT_TRUE(c.group) << c.text;
            ++texts;
        }
        if (c.kind == sim::ControlTemplate::Kind::GroupBox) {
            EXPECT_FALSE(c.group) << c.text;
        }
    }
    EXPECT_EQ(texts, 5);
    ASSERT_NE(sim::Desktop::FindDialogTemplate(IDD_VERSION), nullptr);
    EXPECT_EQ(sim::Desktop::FindDialogTemplate(IDD_VERSION)->caption, "バージョン");
    EXPECT_EQ(sim::Desktop::FindDialogTemplate(4242), nullptr);
}

// The reader knows the program's own syntax; the version information and the manifest that the
// release adds are passed over whole, and what follows them is still read.
TEST(FrameworkResources, ReleaseResourcesAreSkippedWholeAndTextsKeepTheirLanguage) {
    const auto set = sim::detail::ParseResources(R"rc(
#include "x.h"
#define LOCAL_ID 0x20
7 BITMAP "seven.bmp"
CREATEPROCESS_MANIFEST_RESOURCE_ID RT_MANIFEST "app.manifest"
IDB_A BITMAP "a.bmp"
VS_VERSION_INFO VERSIONINFO
 FILEVERSION VERSION_NUMBERS
 FILEFLAGSMASK VS_FFI_FILEFLAGSMASK
 FILEOS VOS_NT_WINDOWS32
BEGIN
    BLOCK "StringFileInfo"
    BEGIN
        // A comment inside.
        VALUE "Name", "x"
    END
    BLOCK "VarFileInfo"
    BEGIN
        VALUE "Translation", 0x0411, 1200
    END
END
LOCAL_ID MENU
BEGIN
    POPUP "&File"
    BEGIN
        MENUITEM "Say\tF1", 100, CHECKED, GRAYED
        POPUP "Sub"
        BEGIN
            MENUITEM "Deep", 101
        END
    END
END
40 DIALOG 1, 2, 30, 40
STYLE WS_POPUP | WS_CAPTION
CAPTION "Ex"
FONT 9, "MS Shell Dlg"
BEGIN
    CONTROL "", 10, "Static", SS_GRAYFRAME, 1, 1, 20, 10, WS_EX_STATICEDGE
    AUTORADIOBUTTON "Radio", 11, 1, 12, 20, 10, WS_GROUP | WS_DISABLED
    LTEXT "Line\nbreak", 12, 1, 24, 20, 8
    ICON LOCAL_ID, 14, 1, 1
END
STRINGTABLE
BEGIN
    1, "one"
    IDB_A+1 "ten " VERSION_TEXT
END
LANGUAGE LANG_ENGLISH, SUBLANG_ENGLISH_US
LOCAL_ID MENU
BEGIN
    MENUITEM "English", 102
END
STRINGTABLE
BEGIN
    1 "One"
END
)rc",
                                                 "#define IDB_A 9\n#define VERSION_TEXT \"1.2\"\n");
    // By language; a resource held in no such language, or asked for in none: the script's first.
    const LANGID english = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    const LANGID japanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
    EXPECT_EQ(*set.FindString(1, english), "One");
    EXPECT_EQ(*set.FindString(1, japanese), "one");
    EXPECT_EQ(*set.FindString(10, english), "ten 1.2");
    EXPECT_EQ(set.FindString(11, 0), nullptr);
    EXPECT_EQ(set.FindMenu(0x20, english)->items[0].label, "English");
    EXPECT_EQ(set.FindDialog(40, english), set.FindDialog(40));
    EXPECT_EQ(set.bitmaps, (std::vector<UINT>{7, 9}));
    const auto* menu = set.FindMenu(0x20);
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->items.size(), 1u);
    const auto& file = menu->items[0].items;
    ASSERT_EQ(file.size(), 2u);
    EXPECT_EQ(file[0].label, "Say\tF1");
    EXPECT_EQ(file[0].id, 100u);
    EXPECT_TRUE(file[0].checked);
    EXPECT_TRUE(file[0].grayed);
    ASSERT_EQ(file[1].items.size(), 1u);
    EXPECT_EQ(file[1].items[0].id, 101u);
    const auto* dialog = set.FindDialog(40);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->caption, "Ex");
    EXPECT_EQ(dialog->rect, (CRect{1, 2, 31, 42}));
    ASSERT_EQ(dialog->controls.size(), 4u);
    EXPECT_EQ(dialog->controls[0].kind, sim::ControlTemplate::Kind::Text);
    EXPECT_EQ(dialog->controls[1].kind, sim::ControlTemplate::Kind::AutoRadioButton);
    EXPECT_TRUE(dialog->controls[1].group);
    EXPECT_TRUE(dialog->controls[1].disabled);
    EXPECT_EQ(dialog->controls[2].text, "Line\nbreak");
    EXPECT_TRUE(dialog->controls[2].group);
    EXPECT_EQ(dialog->controls[3].kind, sim::ControlTemplate::Kind::Icon);
    EXPECT_EQ(dialog->controls[3].text, "32");
    EXPECT_EQ(dialog->controls[3].id, 14);
}

// The simulated desktop's own formatting: the first "%1" replaced, wherever it stands, and a
// string with none, or no string at all, as Windows' loader gives them.
TEST(FrameworkResources, FormattedStringsReplaceTheFirstArgumentOnly) {
    EXPECT_EQ(AfxFormatString1(IDS_SCORE_CARDS, "１０"), "１０枚");
    EXPECT_EQ(AfxFormatString1(IDS_WINNERS, "a %1 b"), "a %1 b の勝利でした!!");
    EXPECT_EQ(AfxFormatString1(IDS_WINNERS_CAPTION, ""), "神経衰弱 (しんけいすいじゃく）...*");
    EXPECT_EQ(AfxFormatString1(IDS_SCORE_CAPTION, "x"), "カード");
    EXPECT_EQ(AfxFormatString1(0xFFF0, "x"), "");
    EXPECT_EQ(AfxLoadString(IDS_WINNER_HUMAN), "プレイヤー%1");
}

}  // namespace
