// BriBU.exe: the product's application. Its window says what it is, where it was started
// from and with which command line.
#include <windows.h>

#include "Product.h"
#include "ProductWindow_win.h"

int WINAPI WinMain(HINSTANCE Instance, HINSTANCE, LPSTR, int)
{
    const std::string path = ProgramPath();
    const std::string text = std::string(ProductName) + " application (" + ApplicationProgram + ")\r\n" +
                             "Folder: " + path.substr(0, path.find_last_of('\\') + 1) + "\r\n" +
                             "Command line: " + CommandLineText() + "\r\n" +
                             (__argc > 1 ? "Started with arguments." : "Started without arguments.");
    return RunProductWindow(Instance, ApplicationWindowClass, ProductName, text);
}
