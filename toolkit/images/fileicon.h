// `cFileIcon`: one icon as the images of an .ico file, loaded from a file or from an icon group
// in a module's resources, saved as a file, edited and rendered.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <variant>

#include "toolkit/images/iconfiledata.h"
#include "toolkit/images/iconrecord.h"
#include "base/errors.h"

namespace kal {

class cFileIcon {
public:
    // Empty, a numeric id or a resource name.
    using ResourceId = std::variant<std::monostate, std::int32_t, std::wstring>;

    void CloneTo(cFileIcon& target) const;
    const std::wstring& FileName() const { return fileName_; }
    const ResourceId& ResourceID() const { return resourceId_; }

    // Image indexes count from 1.
    PicturePtr IconPicture(HDC dc, std::int32_t index) const;
    HICON IconHandle(HDC dc, std::int32_t index) const;
    std::int16_t ImageCount() const { return static_cast<std::int16_t>(data_.Count()); }
    std::uint8_t ImageWidth(std::int32_t index) const { return Entry(index).width; }
    std::uint8_t ImageHeight(std::int32_t index) const { return Entry(index).height; }
    double ImageColourCount(std::int32_t index) const;
    std::int32_t ImageSize(std::int32_t index) const { return static_cast<std::int32_t>(Entry(index).bytesInRes); }
    bool ImageHasAlphaChannel(std::int32_t index) const { return Entry(index).bitCount > 24; }
    void RemoveImage(std::int32_t index) { data_.RemoveImage(index); }
    void AddImage(std::int32_t width, std::int32_t height, std::int32_t colours);
    bool LoadIconFromEXE(const std::wstring& path, std::int32_t id, const std::wstring& name);
    bool LoadIcon(const std::wstring& fileName);
    bool SaveIcon(const std::wstring& fileName = std::wstring());
    void DrawIconImage(HDC dc, std::int32_t index, bool mask, int x, int y, int width = 0, int height = 0,
                       DWORD rop = SRCCOPY) const;

    // What the object holds, for callers that inspect the icon's layout.
    const IconFileData& Data() const { return data_; }

private:
    void CloneFrom(const cFileIcon& source);
    const IconDirEntry& Entry(std::int32_t index) const;
    [[noreturn]] static void Raise(std::int32_t code, const std::wstring& description);
    HBITMAP RenderImage(HDC dc, std::int32_t index, bool mask, bool draw, int x, int y, int width, int height,
                        DWORD rop, bool keep) const;

    std::wstring fileName_;
    ResourceId resourceId_;
    IconFileData data_;
};

}  // namespace kal
