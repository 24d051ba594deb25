// Core Audio declarations the system headers lack or get wrong, and the identifiers the audio
// object uses. Shared by the product and the simulated card.
#pragma once
#include <windows.h>
#include <mmdeviceapi.h>
#include <mmreg.h>
#include <devicetopology.h>
#include <endpointvolume.h>
#include <propsys.h>

namespace kal {

// Automatic gain control part, with the published method order (the MinGW header swaps and
// misnames the two methods). Same interface identifier.
struct IAudioAutoGainControl : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetEnabled(BOOL* enabled) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetEnabled(BOOL enable, LPCGUID eventContext) = 0;
};

// The system's policy-config client. Only three of its calls are used: the device format
// (slots 4 and 5) and the default endpoint (slot 12). The other slots are placeholders that keep
// the table's shape; nothing calls them.
struct IPolicyConfig : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Unused3() = 0;
    // A block of at least 40 bytes (WAVEFORMATEXTENSIBLE) in task memory; the caller frees it.
    virtual HRESULT STDMETHODCALLTYPE GetDeviceFormat(LPCWSTR deviceId, INT defaultFormat, WAVEFORMATEX** format) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDeviceFormat(LPCWSTR deviceId, WAVEFORMATEX* endpointFormat,
                                                      WAVEFORMATEX* mixFormat) = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused6() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused7() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused8() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused9() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused10() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused11() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDefaultEndpoint(LPCWSTR deviceId, ERole role) = 0;
};

inline constexpr CLSID kClsidMMDeviceEnumerator = {0xBCDE0395, 0xE52F, 0x467C, {0x8E, 0x3D, 0xC4, 0x57, 0x92, 0x91, 0x69, 0x2E}};
inline constexpr IID kIidMMDeviceEnumerator = {0xA95664D2, 0x9614, 0x4F35, {0xA7, 0x46, 0xDE, 0x8D, 0xB6, 0x36, 0x17, 0xE6}};
inline constexpr CLSID kClsidPolicyConfig = {0x294935CE, 0xF637, 0x4E7C, {0xA4, 0x1B, 0xAB, 0x25, 0x54, 0x60, 0xB8, 0x62}};
inline constexpr IID kIidPolicyConfig = {0x568B9108, 0x44BF, 0x40B4, {0x90, 0x06, 0x86, 0xAF, 0xE5, 0xB5, 0xA6, 0x20}};

inline constexpr IID kIidDeviceTopology = {0x2A07407E, 0x6497, 0x4A18, {0x97, 0x87, 0x32, 0xF7, 0x9B, 0xD0, 0xD9, 0x8F}};
inline constexpr IID kIidAudioEndpointVolume = {0x5CDF2C82, 0x841E, 0x4546, {0x97, 0x22, 0x0C, 0xF7, 0x40, 0x78, 0x22, 0x9A}};
inline constexpr IID kIidAudioVolumeLevel = {0x7FB7B48F, 0x531D, 0x44A2, {0xBC, 0xB3, 0x5A, 0xD5, 0xA1, 0x34, 0xB3, 0xDC}};
inline constexpr IID kIidAudioAutoGainControl = {0x85401FD4, 0x6DE4, 0x4B9D, {0x98, 0x69, 0x2D, 0x67, 0x53, 0xA8, 0x2F, 0x3C}};
inline constexpr IID kIidAudioInputSelector = {0x4F03DC02, 0x5E6E, 0x4653, {0x8F, 0x72, 0xA0, 0x30, 0xC1, 0x23, 0xD5, 0x98}};
inline constexpr IID kIidAudioMute = {0xDF45AEEA, 0xB74A, 0x4B6B, {0xAF, 0xAD, 0x23, 0x66, 0xB6, 0xAA, 0x01, 0x2E}};
inline constexpr IID kIidPart = {0xAE2DE0E4, 0x5BCA, 0x4F2D, {0xAA, 0x46, 0x5D, 0x13, 0xF8, 0xFD, 0xB3, 0xA9}};
inline constexpr IID kIidConnector = {0x9C2C4058, 0x23F5, 0x41DE, {0x87, 0x7A, 0xDF, 0x3A, 0xF2, 0x36, 0xA0, 0x9E}};
inline constexpr IID kIidPartsList = {0x6DAA848C, 0x5EB0, 0x45CC, {0xAE, 0xA5, 0x99, 0x8A, 0x2C, 0xDA, 0x1F, 0xFB}};
inline constexpr IID kIidKsFormatSupport = {0x3CB4A69D, 0xBB6F, 0x4D2B, {0x95, 0xB7, 0x45, 0x2D, 0x2C, 0x15, 0x5D, 0xB5}};
inline constexpr IID kIidPerChannelDbLevel = {0xC2F8E001, 0xF205, 0x4BC9, {0x99, 0xBC, 0xC1, 0x3B, 0x1E, 0x04, 0x8C, 0xCB}};

// Kernel-streaming data format identifiers of a PCM format test.
inline constexpr GUID kKsDataFormatTypeAudio = {0x73647561, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
inline constexpr GUID kKsDataFormatSubtypePcm = {0x00000001, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
inline constexpr GUID kKsDataFormatSpecifierWaveFormatEx = {0x05589F81, 0xC356, 0x11CE, {0xBF, 0x01, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A}};
// Endpoint property holding the shared-mode device format (a blob).
inline constexpr GUID kPropDeviceFormatGuid = {0xF19F064D, 0x082C, 0x4E27, {0xBC, 0x73, 0x68, 0x82, 0xA1, 0xBB, 0x8E, 0x4C}};

// Event context passed with every change this process makes, so its own changes can be told
// apart. Made once per process: another instance of the program run beside this one (a "/noui"
// switch) changes the same endpoints, and its changes must count as another program's.
const GUID& AudioEventContext();

// Node types of topology parts (as text, the form the walk compares).
inline constexpr const wchar_t* kNodeTypeAgcText = L"{E88C9BA0-C557-11D0-8A2B-00A0C9255AC1}";
inline constexpr const wchar_t* kNullGuidText = L"{00000000-0000-0000-0000-000000000000}";

// Endpoint properties (GUID text, comma, property identifier).
inline constexpr const wchar_t* kPropHardwareIdentity = L"{B3F8FA53-0004-438E-9003-51A46E139BFC},2";
inline constexpr const wchar_t* kPropDeviceDesc = L"{A45C254E-DF1C-4EFD-8020-67D146A850E0},2";

// Every activation asks for any server context.
inline constexpr DWORD kClsCtxAll = 23;

// Endpoint states: the mask the enumeration asks for first, and the published states alone.
inline constexpr DWORD kEndpointStateMask = 0x10000003;
inline constexpr DWORD kEndpointStatesPublished = 0x0000000F;

}  // namespace kal
