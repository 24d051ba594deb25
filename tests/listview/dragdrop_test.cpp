// OLE drag and drop: items dragged out of an icon-view list with real mouse input through the
// system's drag loop, and drops of data from elsewhere, forged or foreign.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <atomic>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "listview/dataobject.h"
#include "listview/portable/dragdata.h"
#include "tests/common/screenshot.h"
#include "tests/listview/fixture.h"

using namespace kal;
using namespace kal::test;

namespace {

// Waits on the calling thread (not one with windows) until `done` holds or the time is up.
bool WaitFor(const std::function<bool()>& done, int milliseconds = 15000) {
    for (int waited = 0; !done() && waited < milliseconds; waited += 5) ::Sleep(5);
    return done();
}

// Mouse input given from a thread of its own, step by step, while the test's thread runs the
// messages and the drag loop; each step waits for what the previous one should have caused.
class MouseScript {
public:
    explicit MouseScript(std::function<void()> steps) : thread_([this, steps] {
        steps();
        finished = true;
    }) {}
    ~MouseScript() { thread_.join(); }
    std::atomic<bool> finished{false};

private:
    std::thread thread_;
};

POINT Offset(POINT p, int dx, int dy) { return {p.x + dx, p.y + dy}; }

class DragDropTest : public ListViewTest {
protected:
    void MakeIconList(std::int32_t dragMode, int items = 3) {
        PropertyBag bag;
        bag.Write<bool>(L"AutoArrange", false, true);
        bag.Write<std::int32_t>(L"OLEDragMode", dragMode, 0);
        bag.Write<std::int32_t>(L"OLEDropMode", 1, 0);
        Make(bag);
        icons = ::ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, 1, 0);
        ::ImageList_AddIcon(icons, ::LoadIconW(nullptr, IDI_INFORMATION));
        lv->SetImageList(0, icons);
        for (int i = 0; i < items; ++i) lv->ListItems().Add({}, {}, L"Item " + std::to_wstring(i + 1), 0);
        ShowInFront();
    }
    void TearDown() override {
        ListViewTest::TearDown();
        if (icons) ::ImageList_Destroy(icons);
    }
    POINT Position(int item0) const {
        POINT p{};
        Send(LVM_GETITEMPOSITION, static_cast<WPARAM>(item0), reinterpret_cast<LPARAM>(&p));
        return p;
    }
    std::vector<POINT> Positions() const {
        std::vector<POINT> all;
        for (int i = 0; i < static_cast<int>(Send(LVM_GETITEMCOUNT)); ++i) all.push_back(Position(i));
        return all;
    }
    // Presses on an item and moves until the list starts the drag; then runs `rest`.
    std::function<void()> PressAndDrag(int item0, std::function<void()> rest) {
        const POINT from = ItemPoint(item0);
        return [this, from, rest] {
            lastPoint = from;
            MoveMouseTo(from);
            LeftButton(from, true);
            for (int step = 1; step <= 40 && !started; ++step) {
                lastPoint = Offset(from, step * 2, step);
                MoveMouseTo(lastPoint);
                WaitFor([&] { return started.load(); }, 100);
            }
            // A list slow to follow the input gets time to start the drag.
            WaitFor([&] { return started.load(); });
            if (started) rest();
            LeftButton(lastPoint, false);
        };
    }
    // Moves to `to` in steps, each after the list has seen the previous one dragged over it.
    void DragTo(POINT from, POINT to, int steps) {
        for (int i = 1; i <= steps; ++i) {
            const int seen = dragOvers;
            lastPoint = {from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps};
            MoveMouseTo(lastPoint);
            WaitFor([&] { return dragOvers > seen; });
        }
    }

    HIMAGELIST icons = nullptr;
    std::atomic<bool> started{false}, completed{false};
    std::atomic<int> dragOvers{0};
    POINT lastPoint{};
};

bool HasDragImage() { return ::ImageList_GetDragImage(nullptr, nullptr) != nullptr; }

}  // namespace

TEST_F(DragDropTest, DraggedItemMovesToTheDropPointWithTheEventsInOrder) {
    MakeIconList(2);
    std::vector<std::wstring> events;
    std::wstring startedWith, droppedItem;
    std::int32_t startEffects = -1, completeEffect = -1;
    bool imageWhileDragging = false;
    POINT dropAt{};
    // A format announced at the start is supplied only when the drop asks for it.
    constexpr std::uint16_t kLater = 0xC321;
    std::optional<DataBytes> supplied;
    lv->OLESetData = [&](DataObject& data, std::uint16_t format) {
        events.push_back(L"setdata");
        if (format == kLater) data.SetData(kLater, DataBytes{1, 2, 3});
    };
    lv->OLEStartDrag = [&](DataObject& data, std::int32_t& allowed) {
        events.push_back(L"start");
        startEffects = allowed;
        data.SetData(kLater);
        if (const auto item = lv->ItemFromDragData(data)) startedWith = item->Text();
        started = true;
    };
    lv->OLEGiveFeedback = [&](std::int32_t, bool&) {
        if (events.empty() || events.back() != L"feedback") events.push_back(L"feedback");
    };
    lv->OLEDragOver = [&](DataObject&, std::int32_t&, std::int16_t, std::int16_t, float, float, std::int16_t state) {
        const std::wstring name = state == 0 ? L"enter" : state == 1 ? L"leave" : L"over";
        if (events.empty() || events.back() != name) events.push_back(name);
        imageWhileDragging = imageWhileDragging || HasDragImage();
        ++dragOvers;
    };
    lv->OLEDragDrop = [&](DataObject& data, std::int32_t& effect, std::int16_t, std::int16_t, float x, float y) {
        events.push_back(L"drop");
        EXPECT_EQ(effect, DROPEFFECT_COPY | DROPEFFECT_MOVE);
        if (const auto item = lv->ItemFromDragData(data)) droppedItem = item->Text();
        EXPECT_TRUE(data.GetFormat(kLater));
        supplied = data.GetData(kLater);
        const auto [px, py] = lv->ScaleToPixels(x, y);
        dropAt = {px, py};
    };
    lv->OLECompleteDrag = [&](std::int32_t effect) {
        events.push_back(L"complete");
        completeEffect = effect;
        completed = true;
    };

    const std::vector<POINT> before = Positions();
    const POINT target = ListPoint(220, 150), from = ItemPoint(0);
    {
        MouseScript script(PressAndDrag(0, [&] { DragTo(from, target, 8); }));
        ASSERT_TRUE(PumpUntil([&] { return completed && script.finished; }, 60000));
    }
    ASSERT_GE(events.size(), 5u);
    EXPECT_EQ(events.front(), L"start");
    // Each round of the drag loop asks the target first, then the source for its feedback.
    EXPECT_EQ(events[1], L"enter");
    EXPECT_EQ(events[2], L"feedback");
    ASSERT_EQ(events[events.size() - 3], L"drop");
    EXPECT_EQ(events[events.size() - 2], L"setdata");
    EXPECT_EQ(events.back(), L"complete");
    EXPECT_EQ(startEffects, DROPEFFECT_COPY | DROPEFFECT_MOVE);  // OLEDragMode 2
    EXPECT_EQ(startedWith, L"Item 1");
    EXPECT_EQ(droppedItem, L"Item 1");
    EXPECT_TRUE(completeEffect & DROPEFFECT_MOVE);
    EXPECT_EQ(supplied, (DataBytes{1, 2, 3}));
    // The image followed the cursor and is gone with the drag.
    EXPECT_TRUE(imageWhileDragging);
    EXPECT_FALSE(HasDragImage());

    // The dragged item is where it was dropped; the others stayed.
    const POINT moved = Position(0);
    EXPECT_EQ(moved.x, dropAt.x);
    EXPECT_EQ(moved.y, dropAt.y);
    POINT expected = target;
    ::ScreenToClient(List(), &expected);
    EXPECT_NEAR(moved.x, expected.x, 2);
    EXPECT_NEAR(moved.y, expected.y, 2);
    EXPECT_EQ(Position(1).x, before[1].x);
    EXPECT_EQ(Position(2).y, before[2].y);
    EXPECT_TRUE(kal::testing::SaveWindowScreenshot(form.hWnd(), L"listview", L"dropped"));
}

TEST_F(DragDropTest, DragNearTheBottomEdgeScrollsOneLinePerDragOver) {
    MakeIconList(2, 60);
    ASSERT_TRUE(Style() & WS_VSCROLL);
    std::atomic<int> inZone{0};
    lv->OLEStartDrag = [&](DataObject&, std::int32_t&) { started = true; };
    lv->OLEDragOver = [&](DataObject&, std::int32_t&, std::int16_t, std::int16_t, float x, float y,
                          std::int16_t state) {
        RECT r{};
        ::GetWindowRect(List(), &r);
        const auto [px, py] = lv->ScaleToPixels(x, y);
        POINT p{px, py};
        ::ClientToScreen(List(), &p);
        if (state != 1 && r.bottom - p.y < 24) ++inZone;
        ++dragOvers;
    };
    lv->OLECompleteDrag = [&](std::int32_t) { completed = true; };
    MessageSpy spy(List(), {WM_VSCROLL, WM_HSCROLL});

    RECT r{};
    ::GetWindowRect(List(), &r);
    const POINT edge{(r.left + r.right) / 2, r.bottom - 10}, from = ItemPoint(0);
    {
        MouseScript script(PressAndDrag(0, [&] {
            DragTo(from, edge, 4);
            // Held at the edge: the drag loop keeps asking, and the list keeps scrolling.
            const int seen = dragOvers;
            WaitFor([&] { return dragOvers >= seen + 3; });
            DragTo(edge, Offset(edge, 0, -60), 2);
        }));
        ASSERT_TRUE(PumpUntil([&] { return completed && script.finished; }, 60000));
    }
    ASSERT_GE(inZone.load(), 3);
    ASSERT_EQ(spy.seen.size(), static_cast<std::size_t>(inZone.load()));
    for (const auto& s : spy.seen) {
        EXPECT_EQ(s.msg, static_cast<UINT>(WM_VSCROLL));
        EXPECT_EQ(s.wParam, static_cast<WPARAM>(SB_LINEDOWN));
    }
    EXPECT_GT(::GetScrollPos(List(), SB_VERT), 0);
}

TEST_F(DragDropTest, NoAllowedEffectsNoDrag) {
    MakeIconList(0);  // the drag allows nothing unless a handler says otherwise
    std::int32_t offered = -1;
    bool fedBack = false;
    lv->OLEStartDrag = [&](DataObject&, std::int32_t& allowed) {
        offered = allowed;
        started = true;
    };
    lv->OLEGiveFeedback = [&](std::int32_t, bool&) { fedBack = true; };
    lv->OLECompleteDrag = [&](std::int32_t) { completed = true; };
    {
        MouseScript script(PressAndDrag(1, [] {}));
        ASSERT_TRUE(PumpUntil([&] { return script.finished.load(); }, 60000));
    }
    Pump(200);
    EXPECT_TRUE(started);
    EXPECT_EQ(offered, 0);
    EXPECT_FALSE(completed);  // no drag ran
    EXPECT_FALSE(fedBack);
    EXPECT_FALSE(HasDragImage());
}

// ---- Drops of data from elsewhere ----

namespace {

// A drag source that lets go after a few rounds of the drag loop, wherever the cursor is.
class DropSoon final : public IDropSource {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IDropSource) {
            *out = this;
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL, DWORD) override {
        return ++rounds_ < 4 ? S_OK : DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

private:
    int rounds_ = 0;
};

std::vector<std::uint8_t> Utf16(const std::wstring& text) {
    std::vector<std::uint8_t> bytes;
    for (wchar_t c : text) bytes.insert(bytes.end(), {static_cast<std::uint8_t>(c & 0xFF), static_cast<std::uint8_t>(c >> 8)});
    return bytes;
}

}  // namespace

TEST_F(DragDropTest, ForgedAndForeignDataMoveNothing) {
    MakeIconList(0);
    zephListViewCtl other;
    ASSERT_TRUE(PlaceOnForm(other, form, {120, 3200, 3000, 300}));
    other.ListItems().Add({}, {}, L"elsewhere");
    LVITEMW foreign{};
    foreign.mask = LVIF_PARAM;
    ::SendMessageW(other.hWndListView(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&foreign));
    lv->ListItems().Add({}, {}, L"gone");
    LVITEMW removed{};
    removed.mask = LVIF_PARAM;
    removed.iItem = 3;
    Send(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&removed));
    lv->ListItems().Remove(4);
    ASSERT_EQ(lv->ListItems().Count(), 3);

    int drops = 0;
    bool named = false;
    lv->OLEDragDrop = [&](DataObject& data, std::int32_t& effect, std::int16_t, std::int16_t, float, float) {
        ++drops;
        named = lv->ItemFromDragData(data).has_value();
        effect = DROPEFFECT_MOVE;
    };
    const POINT target = ListPoint(250, 160);
    // Runs one drop of `bytes` in the list's format on the list, from this test as the source.
    auto dropOnList = [&](std::optional<std::vector<std::uint8_t>> bytes) {
        ComPtr<ListDataObject> object = ListDataObject::Create();
        if (bytes) object->Set(kListItemDragFormat, *bytes);
        object->Set(CF_UNICODETEXT, Utf16(L"I:1"));
        ::SetCursorPos(target.x, target.y);
        DropSoon source;
        DWORD effect = 0;
        const int before = drops;
        EXPECT_EQ(::DoDragDrop(object.get(), &source, DROPEFFECT_MOVE | DROPEFFECT_COPY, &effect), DRAGDROP_S_DROP);
        EXPECT_EQ(drops, before + 1);
    };

    const std::vector<POINT> before = Positions();
    std::mt19937 random(1234);
    std::vector<std::optional<std::vector<std::uint8_t>>> forged = {
        std::nullopt,                                                           // not in the format at all
        EncodeDragData(static_cast<std::int32_t>(foreign.lParam)),             // an item of another list
        EncodeDragData(static_cast<std::int32_t>(removed.lParam)),             // an item that is gone
        EncodeDragData(0x12345678),                                            // a made-up address
        Utf16(L"I:" + std::to_wstring(static_cast<std::int32_t>(removed.lParam)) + L"junk"),
        std::vector<std::uint8_t>{},
    };
    for (int i = 0; i < 20; ++i) {
        std::vector<std::uint8_t> noise(random() % 64);
        for (auto& b : noise) b = static_cast<std::uint8_t>(random());
        if (i % 2) noise.insert(noise.begin(), {'I', 0, ':', 0});
        forged.push_back(noise);
    }
    for (const auto& bytes : forged) {
        named = true;
        dropOnList(bytes);
        EXPECT_FALSE(named);
    }
    const std::vector<POINT> after = Positions();
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i].x, before[i].x) << i;
        EXPECT_EQ(after[i].y, before[i].y) << i;
    }
    EXPECT_EQ(other.ListItems().Count(), 1);
    EXPECT_EQ(::SendMessageW(other.hWndListView(), LVM_GETITEMCOUNT, 0, 0), 1);

    // The same way with the data of one of its own items: that item, and only it, moves.
    LVITEMW third{};
    third.mask = LVIF_PARAM;
    third.iItem = 2;
    Send(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&third));
    dropOnList(EncodeDragData(static_cast<std::int32_t>(third.lParam)));
    EXPECT_TRUE(named);
    POINT expected = target;
    ::ScreenToClient(List(), &expected);
    EXPECT_NEAR(Position(2).x, expected.x, 2);
    EXPECT_NEAR(Position(2).y, expected.y, 2);
    EXPECT_EQ(Position(0).x, before[0].x);
    EXPECT_EQ(Position(1).y, before[1].y);
}
