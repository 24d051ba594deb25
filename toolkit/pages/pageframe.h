// The frame the image list's property pages run in: a system property sheet with OK, Cancel and
// Apply, one page per property page, and the small host interface a page sees. A page is a form
// loaded inside its sheet page; the frame tells it of initialisation, selection change and apply.
#pragma once
#include <windows.h>
#include <prsht.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/forms.h"
#include "toolkit/images/imagelist.h"

namespace kal {

// What the host offers a page.
class IPropertyPageHost {
public:
    // The controls being edited; a page works on the first.
    virtual const std::vector<zephImageList*>& SelectedControls() const = 0;
    virtual bool Changed() const = 0;
    // True makes the frame's Apply button available.
    virtual void SetChanged(bool changed) = 0;
    // An error that the edited control raised while the page worked on it.
    virtual void ReportError(const std::wstring& description) = 0;

protected:
    ~IPropertyPageHost() = default;
};

class PropertyPage : public Form {
public:
    explicit PropertyPage(std::wstring name) : Form(std::move(name)) {}

    void SetHost(IPropertyPageHost* host) { host_ = host; }
    IPropertyPageHost* Host() const { return host_; }
    // The sheet page's tab text.
    virtual std::wstring PageCaption() const = 0;
    // Client area in twips.
    virtual SIZE PageSize() const = 0;

    // Host notifications.
    virtual void Initialize() {}
    virtual void SelectionChanged() {}
    // False when nothing could be applied; the page then stays changed.
    virtual bool ApplyChanges() { return true; }
    virtual void EditProperty(const std::wstring& /*name*/) {}
    virtual void Terminate() {}

protected:
    // The first selected control; null when there is none.
    zephImageList* Selected() const;
    void MarkChanged();
    // Runs an event handler; errors the control raises go to the host.
    void Guarded(const std::function<void()>& handler);
    // Gives the page and every control on it the pages' font (Tahoma 8.25) and returns it.
    UIFont UsePageFont();

private:
    IPropertyPageHost* host_ = nullptr;
};

class PropertyFrame {
public:
    PropertyFrame(std::wstring caption, std::vector<zephImageList*> selection);
    PropertyFrame(const PropertyFrame&) = delete;
    PropertyFrame& operator=(const PropertyFrame&) = delete;
    ~PropertyFrame();

    // Pages in tab order; add them before the frame is shown.
    template <typename Page>
    Page& AddPage() {
        auto page = std::make_unique<Page>();
        Page& ref = *page;
        AddPage(std::move(page));
        return ref;
    }
    void AddPage(std::unique_ptr<PropertyPage> page);
    PropertyPage& Page(std::size_t index) const { return *sites_.at(index)->page; }
    std::size_t PageCount() const { return sites_.size(); }

    // Shows the sheet and returns when it closes; true when it was closed with OK.
    bool ShowModal(HWND owner);
    // Shows the sheet and returns at once; the caller's messages drive it (see Pump).
    HWND Open(HWND owner);
    // Runs the waiting messages of a sheet shown by Open; false once it has closed (it is then
    // destroyed).
    bool Pump();
    HWND hWnd() const { return sheet_; }
    bool IsOpen() const { return sheet_ != nullptr; }

    // Whether a page has marked itself changed since its last apply.
    bool PageChanged(std::size_t index) const { return sites_.at(index)->changed; }
    // The sheet page window of a created page (null before the sheet showed it).
    HWND PageWindow(std::size_t index) const { return sites_.at(index)->dialog; }

private:
    struct Site : IPropertyPageHost {
        PropertyFrame* frame = nullptr;
        std::unique_ptr<PropertyPage> page;
        std::vector<WORD> dialogTemplate;
        HWND dialog = nullptr;
        bool changed = false;

        const std::vector<zephImageList*>& SelectedControls() const override { return frame->selection_; }
        bool Changed() const override { return changed; }
        void SetChanged(bool value) override;
        void ReportError(const std::wstring& description) override;
    };

    static INT_PTR CALLBACK PageProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
    INT_PTR Run(HWND owner, bool modeless);
    void Created(Site& site, HWND dialog);
    void Destroyed(Site& site);
    bool Apply(Site& site);
    INT_PTR Notify(Site& site, const NMHDR& header);

    std::wstring caption_;
    std::vector<zephImageList*> selection_;
    std::vector<std::unique_ptr<Site>> sites_;
    HWND sheet_ = nullptr;
    bool closedWithOk_ = false;
};

}  // namespace kal
