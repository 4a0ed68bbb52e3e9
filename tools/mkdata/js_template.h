#pragma once
// Text files shipped as a JavaScript module: module.exports = `...`;
#include <string>
#include <string_view>

// The value of the module's one template literal: the text between the
// backticks with its escapes undone (\` \\ \$ \n \r \t \b \f \v \0 \' \"
// \xHH \uHHHH \u{H...}, a backslash before a line break joins the lines; any
// other escaped character stands for itself) and CR LF read as LF. False when
// there is no literal, it is not closed, it holds a substitution ${...} or an
// unescaped backtick, or anything but ';' and white space follows it.
bool UnwrapTemplateLiteral(std::string_view js, std::string& text);
