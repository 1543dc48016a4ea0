// Program-manager groups and items as XDG menu entries. The installer's macros
// "[CreateGroup("name")]" and "[AddItem(command, title, icon,0,0,0, folder)]" are parsed:
// a group is a folder <root>/<name>/ with its ".directory" file and becomes the selected
// group; an item is the desktop entry <selected group folder>/<title>.desktop. The root is
// $XDG_DATA_HOME/applications (~/.local/share/applications) unless set. Each step answers
// whether it was done.
#pragma once
#include <string>
#include <vector>

namespace setup {

// $XDG_DATA_HOME, else ~/.local/share (an operating-system path); the home folder is $HOME,
// else the user's entry of the password database. Empty when there is none.
std::string XdgDataHome();

class ProgramManager {
public:
    ProgramManager();
    void SetRoot(std::string osPath) { root_ = std::move(osPath); }
    const std::string& Root() const { return root_; }
    // Runs one macro; unknown macros are ignored (and answer true).
    bool Execute(const std::string& macro);
    // The two macros with their fields as they are, none split again.
    bool CreateGroup(const std::string& name);
    bool AddItem(const std::string& command, const std::string& title, const std::string& icon,
                 const std::string& work);
    // Every macro executed, in order.
    const std::vector<std::string>& Macros() const { return macros_; }

private:
    bool MakeGroup(const std::string& name);
    bool MakeItem(const std::string& command, const std::string& title, const std::string& icon,
                  const std::string& work);
    std::string root_;
    std::string group_;  // the selected group's folder
    std::vector<std::string> macros_;
};

}  // namespace setup
