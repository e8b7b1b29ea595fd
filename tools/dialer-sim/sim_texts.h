// The texts the simulated dialer shows, in its two user-interface languages. Written out here on
// purpose rather than shared with Zemvar's own tables: the simulator stands for the real dialer, so a
// typo on either side shows up as a failed match instead of being mirrored.
#pragma once

namespace sim {

struct Texts {
  const char* title;
  const char* promptTitle;
  const char* errorTitle;  // the caption of the SIM box that is not titled "Prompt"
  const char* noSim;
  const char* noDevice;
  const char* networkPromptTitle;
  const char* networkPromptText;
  const char* connectedQuestion;
  const char* detecting;
  const char* otherTitle;
  const char* ok;
  const char* cancel;
  const char* yes;
  const char* no;
  const char* connect;
  const char* disconnect;
  const char* offline;
  const char* online;
  const char* statusOffline;
  const char* statusOnline;
  const char* eventsHeading;
};

inline const Texts& ChineseTexts() {
  static const Texts texts = {
      "G3随e行",
      "提示",
      "错误",
      "无SIM/USIM卡或SIM/USIM卡错误",
      "无设备或设备不可用。",
      "网络连接提示",
      "当前没有可用的网络连接，是否连接G3随e行？",
      "G3随e行已连接，是否断开？",
      "正在检测设备...",
      "其他程序",
      "确定",
      "取消",
      "是(&Y)",
      "否(&N)",
      "连接",
      "断开",
      "未连接",
      "已连接",
      "状态：未连接",
      "状态：已连接",
      "收到的操作：",
  };
  return texts;
}

inline const Texts& EnglishTexts() {
  static const Texts texts = {
      "G3 eWalk",
      "Prompt",
      "Error",
      "The SIM/USIM card has not been detected or is invalid.",
      "There is no device, or device is unavailable.",
      "Network Connection Prompt",
      "No network connection is available. Connect with G3 eWalk?",
      "eWalk is connected. Do you want to disconnect it?",
      "Detecting device...",
      "Another program",
      "OK",
      "Cancel",
      "&Yes",
      "&No",
      "Connect",
      "Disconnect",
      "Not connected",
      "Connected",
      "Status: not connected",
      "Status: connected",
      "Received:",
  };
  return texts;
}

}  // namespace sim
