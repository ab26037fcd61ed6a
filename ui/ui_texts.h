// The fixed texts of the windows and messages, as GBK byte strings: the
// windows hand Texts to their controls only through the GBK boundary, so the
// bytes here are exactly what a saved file or a comparison sees. A literal is
// split only where an ASCII character follows a hex escape, which it would
// otherwise extend.
#pragma once

#include <string_view>

namespace velmora::texts {

// Velmora
inline constexpr std::string_view kMainCaption = "Velmora";

// 输入角度：
inline constexpr std::string_view kAngleLabel = "\xca\xe4\xc8\xeb\xbd\xc7\xb6\xc8\xa3\xba";

// 例如角度123°45′67.89″输入的格式为123.456789
inline constexpr std::string_view kExampleLabel =
    "\xc0\xfd\xc8\xe7\xbd\xc7\xb6\xc8"
    "123\xa1\xe3"
    "45\xa1\xe4"
    "67.89\xa1\xe5\xca\xe4\xc8\xeb\xb5\xc4\xb8\xf1\xca\xbd\xce\xaa"
    "123.456789";

// 转化为弧度：
inline constexpr std::string_view kRadiansLabel =
    "\xd7\xaa\xbb\xaf\xce\xaa\xbb\xa1\xb6\xc8\xa3\xba";

// 角度转化弧度
inline constexpr std::string_view kConvertButton =
    "\xbd\xc7\xb6\xc8\xd7\xaa\xbb\xaf\xbb\xa1\xb6\xc8";

// 批量转换
inline constexpr std::string_view kBatchButton = "\xc5\xfa\xc1\xbf\xd7\xaa\xbb\xbb";

// 123.456789 (the angle offered in the input box at start)
inline constexpr std::string_view kDefaultAngle = "123.456789";

// Two lines, each indented by three spaces:
// "   本工具是为想学习测绘编程的读者写的一个示例。"
// "   欢迎访问本程序的说明页，单击这里即可打开。"
inline constexpr std::string_view kAboutText =
    "   "
    "\xb1\xbe\xb9\xa4\xbe\xdf\xca\xc7\xce\xaa\xcf\xeb\xd1\xa7\xcf\xb0\xb2\xe2\xbb\xe6\xb1\xe0\xb3"
    "\xcc\xb5\xc4\xb6\xc1\xd5\xdf\xd0\xb4\xb5\xc4\xd2\xbb\xb8\xf6\xca\xbe\xc0\xfd\xa1\xa3"
    "\n"
    "   "
    "\xbb\xb6\xd3\xad\xb7\xc3\xce\xca\xb1\xbe\xb3\xcc\xd0\xf2\xb5\xc4\xcb\xb5\xc3\xf7\xd2\xb3\xa3"
    "\xac\xb5\xa5\xbb\xf7\xd5\xe2\xc0\xef\xbc\xb4\xbf\xc9\xb4\xf2\xbf\xaa\xa1\xa3";

// The results window has an empty caption.
inline constexpr std::string_view kResultsCaption = "";

// 角度
inline constexpr std::string_view kAngleColumn = "\xbd\xc7\xb6\xc8";

// 弧度
inline constexpr std::string_view kRadiansColumn = "\xbb\xa1\xb6\xc8";

// 保 存 (one space between the two characters)
inline constexpr std::string_view kSaveButton =
    "\xb1\xa3"
    " \xb4\xe6";

// Velmora结果.txt
inline constexpr std::string_view kResultsFileName =
    "Velmora\xbd\xe1\xb9\xfb"
    ".txt";

// 保存成功！
inline constexpr std::string_view kSavedMessage = "\xb1\xa3\xb4\xe6\xb3\xc9\xb9\xa6\xa3\xa1";

// 成功
inline constexpr std::string_view kSavedCaption = "\xb3\xc9\xb9\xa6";

// 保存失败！
inline constexpr std::string_view kSaveFailedMessage = "\xb1\xa3\xb4\xe6\xca\xa7\xb0\xdc\xa3\xa1";

// 失败
inline constexpr std::string_view kSaveFailedCaption = "\xca\xa7\xb0\xdc";

// 信息： (the caption of a message box that is given none)
inline constexpr std::string_view kDefaultMessageCaption = "\xd0\xc5\xcf\xa2\xa3\xba";

}  // namespace velmora::texts
