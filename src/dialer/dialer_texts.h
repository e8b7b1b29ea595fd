// What the dialer (version 3.2.1.16) shows: classes, titles, message texts, control positions and the
// connect command. Chinese first, English second, as the dialer's two user interfaces have them.
#pragma once

#include <cstdint>

namespace zemvar {
namespace dialer {

constexpr const char* kDialogClass = "#32770";
constexpr const char* kStaticClass = "Static";
constexpr const char* kButtonClass = "Button";
constexpr const char* kConnectControlClass = "AfxWnd70u";

constexpr const char* kTitleZh = "G3随e行";
constexpr const char* kTitleEn = "G3 eWalk";

// The static that marks the dialer's panel, and the panel's connect control.
constexpr std::int32_t kMarkerX = 70, kMarkerY = 320;
constexpr std::int32_t kConnectX = 80, kConnectY = 230;

constexpr const char* kPromptTitleZh = "提示";
constexpr const char* kPromptTitleEn = "Prompt";

constexpr const char* kNoSimZh = "无SIM/USIM卡或SIM/USIM卡错误";
constexpr const char* kNoSimEn = "The SIM/USIM card has not been detected or is invalid.";
constexpr std::int32_t kNoSimButtonX = 140, kNoSimButtonY = 60;
constexpr std::int32_t kNoSimAnyTitleButtonX = 250, kNoSimAnyTitleButtonY = 70;

constexpr const char* kNoDeviceZh = "无设备或设备不可用。";
constexpr const char* kNoDeviceEn = "There is no device, or device is unavailable.";
constexpr std::int32_t kNoDeviceButtonX = 120, kNoDeviceButtonY = 60;

constexpr const char* kNetworkPromptTitleZh = "网络连接提示";
constexpr const char* kNetworkPromptTitleEn = "Network Connection Prompt";
constexpr std::int32_t kNetworkPromptButtonX = 180, kNetworkPromptButtonY = 110;

constexpr const char* kConnectedZh = "G3随e行已连接，是否断开？";
constexpr const char* kConnectedEn = "eWalk is connected. Do you want to disconnect it?";
constexpr std::int32_t kConnectedButtonX = 180, kConnectedButtonY = 60;

constexpr const char* kDetectingZh = "正在检测设备...";
constexpr const char* kDetectingEn = "Detecting device...";


// Where the installer records the dialer.
constexpr const char* kInstallKey = "SOFTWARE\\China Mobile\\eWalk";
constexpr const char* kInstallPathValue = "ExePath";
constexpr const char* kInstallNameValue = "ExeName";

}  // namespace dialer
}  // namespace zemvar
