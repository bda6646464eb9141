// Server-side file operations of the system database: FILEOPERATION, DIRECTORYTEST and
// LONGTOSHORTFILENAME, run by the Firebird server on its own machine (a UDR module loaded from the
// server's plugins/udr folder). Paths arrive as the UTF-8 bytes of an OCTETS parameter, untouched by any
// character set of the database (which could not hold every character of a Japanese folder name); every
// procedure returns one row.
//
// The procedures act as the server's own user, and anyone who can attach to the system database can call
// them: they touch nothing outside the folder of the system database they run in, which holds the data
// folders of the installation. A path is resolved first (".." and symbolic links taken out), so neither an
// escape with ".." nor a link inside a data folder pointing out gets past the check; anything else is
// refused with the failure result.

#define FB_UDR_STATUS_TYPE ::Firebird::ThrowStatusWrapper

#include <firebird/UdrCppEngine.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr unsigned kUtf8 = 4;
constexpr unsigned kOctets = 1;

template <typename VarChar>
std::string TextOf(const VarChar& value, bool isNull)
{
    return isNull ? std::string() : std::string(value.str, value.length);
}

template <typename VarChar>
void SetText(VarChar& target, const std::string& text)
{
    const std::size_t length = std::min(text.size(), sizeof target.str);
    target.length = static_cast<ISC_USHORT>(length);
    text.copy(target.str, length);
}

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// Each procedure returns exactly one row.
class TOneRow {
public:
    void Reset() { delivered_ = false; }
    bool Next()
    {
        if (delivered_)
            return false;
        delivered_ = true;
        return true;
    }

private:
    bool delivered_ = false;
};

bool IsBlank(const std::string& text)
{
    return text.find_first_not_of(" \t") == std::string::npos;
}

// The installation's folder tree: the folder of the system database, resolved.
fs::path RootOf(const char* databaseName)
{
    std::error_code error;
    const fs::path root = fs::weakly_canonical(fs::path(databaseName ? databaseName : "").parent_path(), error);
    return error || !root.is_absolute() ? fs::path() : root;
}

// True when the path, resolved, lies below the root (a folder or file of the installation, not the root
// itself, which holds the system database).
bool InsideRoot(const fs::path& root, const std::string& path)
{
    if (root.empty() || IsBlank(path) || !fs::path(path).is_absolute())
        return false;
    std::error_code error;
    const fs::path resolved = fs::weakly_canonical(fs::path(path), error);
    if (error)
        return false;
    const auto [rootEnd, pathAt] = std::mismatch(root.begin(), root.end(), resolved.begin(), resolved.end());
    return rootEnd == root.end() && pathAt != resolved.end();
}

bool FileOperation(const fs::path& root, const std::string& mode, const std::string& path1, const std::string& path2)
{
    if (!InsideRoot(root, path1))
        return false;
    std::error_code error;
    if (mode == "FEXIST")
        return fs::is_regular_file(path1, error);
    if (mode == "FCOPY") {
        if (!InsideRoot(root, path2))
            return false;
        return fs::copy_file(path1, path2, fs::copy_options::overwrite_existing, error) && !error;
    }
    if (mode == "FDEL")
        return fs::is_regular_file(path1, error) && fs::remove(path1, error);
    return false;
}

bool DirectoryTest(const fs::path& root, const std::string& mode, const std::string& path)
{
    if (!InsideRoot(root, path))
        return false;
    std::error_code error;
    if (mode == "DEXIST")
        return fs::is_directory(path, error);
    if (mode == "MKDIR") {
        fs::create_directories(path, error);
        return !error && fs::is_directory(path, error);
    }
    if (mode == "RMDIR")  // like the Windows call: only an empty folder is removed
        return fs::is_directory(path, error) && fs::remove(path, error);
    return false;
}

}  // namespace

/***
create procedure FILEOPERATION (MODE varchar(10), FILEPATH1 varchar(1024) character set octets,
    FILEPATH2 varchar(1024) character set octets)
    returns (WBOOL integer) external name 'qzfileops!fileoperation' engine udr;
***/
FB_UDR_BEGIN_PROCEDURE(fileoperation)
    FB_UDR_MESSAGE(InMessage,
        (FB_INTL_VARCHAR(40, kUtf8), mode)
        (FB_INTL_VARCHAR(1024, kOctets), path1)
        (FB_INTL_VARCHAR(1024, kOctets), path2)
    );
    FB_UDR_MESSAGE(OutMessage,
        (FB_INTEGER, wbool)
    );

    FB_UDR_EXECUTE_PROCEDURE
    {
        const std::string mode = Upper(TextOf(in->mode, in->modeNull));
        out->wboolNull = FB_FALSE;
        out->wbool = FileOperation(RootOf(context->getDatabaseName()), mode, TextOf(in->path1, in->path1Null),
                                   TextOf(in->path2, in->path2Null)) ? 1 : 0;
        row.Reset();
    }

    FB_UDR_FETCH_PROCEDURE
    {
        return row.Next();
    }

    TOneRow row;
FB_UDR_END_PROCEDURE

/***
create procedure DIRECTORYTEST (MODE varchar(10), FILEPATH1 varchar(1024) character set octets)
    returns (WBOOL integer) external name 'qzfileops!directorytest' engine udr;
***/
FB_UDR_BEGIN_PROCEDURE(directorytest)
    FB_UDR_MESSAGE(InMessage,
        (FB_INTL_VARCHAR(40, kUtf8), mode)
        (FB_INTL_VARCHAR(1024, kOctets), path1)
    );
    FB_UDR_MESSAGE(OutMessage,
        (FB_INTEGER, wbool)
    );

    FB_UDR_EXECUTE_PROCEDURE
    {
        const std::string mode = Upper(TextOf(in->mode, in->modeNull));
        out->wboolNull = FB_FALSE;
        out->wbool = DirectoryTest(RootOf(context->getDatabaseName()), mode, TextOf(in->path1, in->path1Null)) ? 1 : 0;
        row.Reset();
    }

    FB_UDR_FETCH_PROCEDURE
    {
        return row.Next();
    }

    TOneRow row;
FB_UDR_END_PROCEDURE

/***
create procedure LONGTOSHORTFILENAME (LONGNAME varchar(1024) character set octets)
    returns (SHORTNAME varchar(1024) character set octets) external name 'qzfileops!longtoshortfilename' engine udr;
***/
// This file system has no short names: a name is its own short form.
FB_UDR_BEGIN_PROCEDURE(longtoshortfilename)
    FB_UDR_MESSAGE(InMessage,
        (FB_INTL_VARCHAR(1024, kOctets), longName)
    );
    FB_UDR_MESSAGE(OutMessage,
        (FB_INTL_VARCHAR(1024, kOctets), shortName)
    );

    FB_UDR_EXECUTE_PROCEDURE
    {
        out->shortNameNull = in->longNameNull;
        SetText(out->shortName, TextOf(in->longName, in->longNameNull));
        row.Reset();
    }

    FB_UDR_FETCH_PROCEDURE
    {
        return row.Next();
    }

    TOneRow row;
FB_UDR_END_PROCEDURE

FB_UDR_IMPLEMENT_ENTRY_POINT
