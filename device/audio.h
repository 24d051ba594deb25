// The audio object: the program's one door to the Windows audio stack (Core Audio on Vista and
// later, the winmm mixer and DirectSound on Windows XP) outside the card driver's own property
// channel. One instance, gAudio, lives from start-up to exit on the user-interface thread.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "base/com.h"
#include "device/coreaudio_interfaces.h"
#include "base/hextext.h"
#include "base/keyed.h"

struct IDirectSound8;

namespace kal {

// DeviceState of an endpoint in service.
constexpr std::uint32_t kDeviceStateActive = 1;

// A line's custom control: on Vista and later an automatic-gain-control part of the line's
// recording path, on XP the identifier of a switch-class mixer control.
struct AudioControlHandle {
    ComPtr<IPart> part;
    std::uint32_t mixerControlId = 0;
};
using AudioControlList = std::vector<AudioControlHandle>;

// A value that may be text or a 32-bit number, or nothing when it could not be read.
using AudioValue = std::variant<std::monostate, std::wstring, std::int32_t>;
// Text of such a value: numbers in decimal, nothing as "".
std::wstring AudioValueText(const AudioValue& value);

// A device format record: the published 40-byte extensible wave format. All zero = no format.
using DeviceFormat = WAVEFORMATEXTENSIBLE;
static_assert(sizeof(DeviceFormat) == 40, "device format record is 40 bytes");

// Decimal text of a mixer line identifier (as a signed 32-bit number, "-65536" for 0xFFFF0000)
// and back; the reverse accepts the unsigned form too and throws std::invalid_argument for text
// that is not such a number.
std::wstring MixerLineText(std::uint32_t id);
std::uint32_t MixerLineId(const std::wstring& text);

// Line members take the Core Audio path on Vista and later and the winmm mixer on Windows XP
// (line identifiers are then mixer line ids as decimal text, see MixerLineText); the speaker
// configuration of XP goes through DirectSound.
class CAudio {
public:
    // Initialises COM (single-threaded apartment) for the calling thread and, except on XP,
    // creates the device enumerator and the policy-config client. Failures leave them empty.
    CAudio();
    // Releases every COM reference it holds, then uninitialises COM if it initialised it.
    ~CAudio();
    CAudio(const CAudio&) = delete;
    CAudio& operator=(const CAudio&) = delete;

    // Line identifier -> the line's custom controls in discovery order; rebuilt by LinesFromHID.
    KeyedCollection<AudioControlList> CustomControls;
    // XP: the recording destination's MUX control.
    std::uint32_t InputMuxControlID = 0;

    // Level conversions (see device/portable/audio_levels.h).
    Currency DBFromLinear(std::int16_t percent, std::int16_t factor, std::int16_t minDB, std::int16_t maxDB) const;
    Currency LinearFromDB(Currency dB, std::int16_t factor, std::int16_t minDB, std::int16_t maxDB) const;
    Currency DeviceDBFromLinear(const std::wstring& line, std::uint32_t flow, std::int16_t percent);
    void GetDeviceVolumeRange(const std::wstring& line, float& minDB, float& maxDB, float& stepDB);
    void ChannelsBalance(Currency& left, Currency& right, Currency& volume, Currency& balance, bool toLR) const;

    // Custom controls of a line; index is 1-based. A line or index not in CustomControls throws
    // std::out_of_range.
    std::wstring ControlName(const std::wstring& line, std::int32_t index);
    void ControlValue(const std::wstring& line, std::int32_t index, std::int16_t& value, bool isSet);
    AudioControlList LineCustomControls(const std::wstring& line);

    // Mute of a line (value 0 or -1).
    void LineMuteOperation(const std::wstring& line, std::uint32_t flow, std::int16_t& value, bool isSet);

    // Node type text of the adapter connector behind the endpoint; "" when none.
    std::wstring DeviceSubtype(const std::wstring& line);
    std::uint32_t DeviceSubtypeToComponentType(const std::wstring& subtype, std::uint32_t flow) const;

    // Makes the line the recording source: Windows' default console capture endpoint, and the
    // first input selector on its path pointed at the part the path enters it through; on XP the
    // recording destination's MUX item of that source line (a line it does not list changes nothing).
    void SelectInputLine(const std::wstring& line);
    // Recording source: the default console capture endpoint's identifier; on XP the selected
    // source's mixer line id as a number, nothing when none is selected.
    AudioValue SelectedInputLineID();
    // Multi-line description of the line's signal path.
    std::wstring ExploreLine(const std::wstring& line, std::uint32_t flow);

    // The card's endpoints of one flow, in enumeration order; rebuilds CustomControls.
    std::vector<std::wstring> LinesFromHID(const std::wstring& hid, std::uint32_t flow);
    // An endpoint property named "{GUID},pid": text for string values, else the first 32 bits.
    AudioValue GetDeviceProperty(const std::wstring& line, const std::wstring& key);
    std::uint32_t DeviceState(const std::wstring& line);
    std::wstring LineDescription(const std::wstring& line, std::uint32_t flow);
    std::wstring DefaultDeviceID(std::uint32_t flow);

    static PROPERTYKEY StringToPKEY(const std::wstring& text);
    static std::wstring PKEYToString(const PROPERTYKEY& key);

    // Louder channel of channels 0 and 1 (0.0 .. 1.0).
    float GetLineMasterVolume(const std::wstring& line, std::uint32_t flow);
    // Reads or writes one channel's level, or with countOnly returns the channel count in channel.
    void LineChannelVolumeOperation(const std::wstring& line, std::int32_t& channel, float& level,
                                    std::uint32_t flow, bool isSet, bool countOnly);

    // Device format and speakers (audio_format.cpp).
    // Whether the line's path accepts a PCM format (tested on the first part offering format support).
    bool FormatSupported(const std::wstring& line, std::uint32_t flow, std::uint32_t rate, std::uint16_t bits,
                         std::uint16_t channels);
    // The endpoint's shared-mode format through the policy-config client; all zero when unknown.
    DeviceFormat GetDeviceFormat(const std::wstring& line);
    // Writes the shared-mode format; a 0 argument keeps that field. Nothing is written when the
    // present format cannot be read.
    void SetDeviceFormat(const std::wstring& line, std::uint32_t rate, std::uint16_t bits, std::uint16_t channels);
    std::uint32_t GetSpeakersVista(const std::wstring& line);
    // Channel count of DirectSound's speaker configuration (2 without DirectSound).
    std::int16_t GetSpeakersXP();
    std::int16_t GetSpeakers(const std::wstring& line);
    // On XP a channel count outside 0..255 throws std::overflow_error.
    void SetSpeakers(const std::wstring& line, std::int16_t channels);

    // XP: routes the mixer's change messages (MM_MIXM_CONTROL_CHANGE, MM_MIXM_LINE_CHANGE) to the
    // window; 0 stops them. The previous handle is closed once the new one is open.
    void RegisterMixerCallback(HWND window);
    // XP: mixer component type of the line, 0 when unknown or id is 0.
    std::uint32_t LineType(std::uint32_t id, std::uint32_t flow);

    void RegisterEndpointNotificationCallback(IMMNotificationClient* client);
    void UnregisterEndpointNotificationCallback(IMMNotificationClient* client);
    // Reports changes of the line's endpoint mute and levels to the callback until unregistered
    // (one line at a time; a new registration ends the previous one).
    void RegisterVolumeNotificationCallback(const std::wstring& line, IAudioEndpointVolumeCallback* callback);
    void UnregisterVolumeNotificationCallback();

    bool HasEnumerator() const { return static_cast<bool>(enumerator_); }
    bool HasPolicyConfig() const { return static_cast<bool>(policyConfig_); }

private:
    ComPtr<IMMDevice> GetDevice(const std::wstring& line) const;
    ComPtr<IAudioEndpointVolume> GetEndpointVolume(const std::wstring& line) const;
    ComPtr<IPart> GetAdapterConnectorPart(const std::wstring& line) const;
    // Walks the line's signal path from the endpoint's connector 0 (see audio.cpp).
    std::vector<ComPtr<IUnknown>> ActivatePartInterface(const std::wstring& line, std::uint32_t flow,
                                                        const std::wstring& guidText, bool activate,
                                                        bool firstWithPrevious) const;
    void SwitchControlOperation(const AudioControlHandle& handle, std::int32_t kind, std::int16_t& value, bool isSet);

    static std::uint32_t ChannelsToSpeakerMask(std::uint32_t channels);
    // The format as read; false when there is no client or the read failed.
    bool ReadDeviceFormat(const std::wstring& line, DeviceFormat& format);
    ComPtr<IDirectSound8> CreateDirectSound();
    void SetSpeakersXP(std::uint8_t channels);

    // Windows XP mixer path (audio_xp.cpp).
    bool OpenMixerByHID(const std::wstring& hid);
    bool GetMixerLineInfo(std::uint32_t id, std::uint32_t componentType, std::uint32_t flags, MIXERLINEW& line);
    bool GetMixerLineControls(const MIXERLINEW& line, std::uint32_t controlType, std::vector<MIXERCONTROLW>& controls,
                              bool all);
    bool GetMixerLineControl(std::uint32_t controlId, MIXERCONTROLW& control);
    // Reads the control's items for `channels` channels into `items` (sized here: channels times
    // the control's items); `details` stays ready for the matching write.
    bool GetMixerControlDetails(const MIXERCONTROLW& control, std::uint32_t channels, std::uint32_t itemSize,
                                std::uint32_t flags, MIXERCONTROLDETAILS& details, std::vector<std::uint8_t>& items);
    MMRESULT SetMixerControlDetails(MIXERCONTROLDETAILS& details);
    std::vector<std::wstring> LinesFromHIDXP(const std::wstring& hid, std::uint32_t flow);
    AudioControlList LineCustomControlsXP(const std::wstring& line);
    std::wstring ControlNameXP(std::uint32_t controlId);
    void SwitchControlOperationXP(std::uint32_t controlId, std::int16_t& value, bool isSet);
    void LineMuteOperationXP(std::uint32_t flow, std::int16_t& value, bool isSet);
    void RecordingMuxOperation(AudioValue& line, bool isSet);
    void LineChannelVolumeOperationXP(const std::wstring& line, std::int32_t& channel, float& level,
                                      std::uint32_t flow, bool isSet, bool countOnly);
    std::wstring LineDescriptionXP(const std::wstring& line, std::uint32_t flow);

    ComPtr<IMMDeviceEnumerator> enumerator_;
    ComPtr<IPolicyConfig> policyConfig_;
    // The endpoint volume that reports to volumeCallback_, held while the registration lasts.
    ComPtr<IAudioEndpointVolume> watchedVolume_;
    ComPtr<IAudioEndpointVolumeCallback> volumeCallback_;
    HMIXER mixer_ = nullptr;
    bool comInitialised_ = false;
};

// The one audio object; null before CreateAudioObject and after ReleaseAudioObject.
extern std::unique_ptr<CAudio> gAudio;
// Start-up creates it on the user-interface thread, right before the main form loads ...
CAudio& CreateAudioObject();
// ... and releases it at exit, on the same thread.
void ReleaseAudioObject();

// GUID text in braces -> GUID; the zero GUID for text that does not parse.
GUID GUIDFromString(const std::wstring& text);
// GUID -> "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper case.
std::wstring StringFromGUID(const GUID& guid);

}  // namespace kal
