#pragma once

#include <string>

// A file error as the user reads it: in the program's own words, naming the file and the
// cause, never the system's English text.
namespace file_errors {

// "无法读取文件 UpdList.xml：磁盘读写错误"
std::string readError(const std::string& file, int error);
// "无法写入文件 a.dat：磁盘空间不足"
std::string writeError(const std::string& file, int error);
// The cause alone.
std::string cause(int error);

} // namespace file_errors
