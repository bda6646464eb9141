// The services manager: backup, restore and the list of attached databases.

#include "common/Cp932.h"
#include "db/FbApi.h"

#include <ibase.h>

using namespace Firebird;

namespace qz::fb {

using namespace detail;

namespace {

// Service answers travel in blocks whose length must fit in 16 bits.
constexpr std::size_t kServiceBufferSize = 32000;

unsigned ReadLength(const unsigned char*& p)
{
    const unsigned length = static_cast<unsigned>(isc_vax_integer(reinterpret_cast<const char*>(p), 2));
    p += 2;
    return length;
}

}  // namespace

TService TService::Attach(const std::string& host, const std::string& user, const std::string& password,
                          bool asAdministrator)
{
    const std::vector<unsigned char> spb = ParameterBlock(IXpbBuilder::SPB_ATTACH, [&](ThrowStatusWrapper* status, IXpbBuilder* b) {
        b->insertString(status, isc_spb_user_name, user.c_str());
        b->insertString(status, isc_spb_password, password.c_str());
        if (asAdministrator)
            b->insertString(status, isc_spb_sql_role_name, "RDB$ADMIN");
        // File names in the requests and the answers travel as UTF-8.
        b->insertTag(status, isc_spb_utf8_filename);
    });
    const std::string name = host.empty() ? "service_mgr" : host + ":service_mgr";
    const auto provider = Dispatcher();
    return TService(Guarded([&](ThrowStatusWrapper* status) {
        return provider->attachServiceManager(status, name.c_str(), static_cast<unsigned>(spb.size()), spb.data());
    }));
}

void TService::Start(const std::vector<unsigned char>& request)
{
    Guarded([&](ThrowStatusWrapper* status) { raw_->start(status, static_cast<unsigned>(request.size()), request.data()); });
}

void TService::ReadOutput(const TLineHandler& onLine)
{
    const unsigned char items[] = {isc_info_svc_line};
    std::vector<unsigned char> buffer(kServiceBufferSize);
    for (bool more = true; more;) {
        Guarded([&](ThrowStatusWrapper* status) {
            raw_->query(status, 0, nullptr, sizeof items, items, static_cast<unsigned>(buffer.size()), buffer.data());
        });
        more = false;
        for (const unsigned char* p = buffer.data(); p < buffer.data() + buffer.size() && *p != isc_info_end;) {
            const unsigned char item = *p++;
            if (item == isc_info_svc_line) {
                const unsigned length = ReadLength(p);
                if (length > 0) {
                    if (onLine)
                        onLine(TextFromServer(std::string(reinterpret_cast<const char*>(p), length)));
                    more = true;
                }
                p += length;
            } else if (item == isc_info_svc_timeout || item == isc_info_data_not_ready) {
                more = true;
            } else {
                break;
            }
        }
    }
}

void TService::Backup(const std::string& database, const std::string& backupFile, const TBackupOptions& options,
                      const TLineHandler& onLine)
{
    int flags = 0;
    if (options.IgnoreLimbo) flags |= isc_spb_bkp_ignore_limbo;
    if (options.NoGarbageCollection) flags |= isc_spb_bkp_no_garbage_collect;
    if (options.NonTransportable) flags |= isc_spb_bkp_non_transportable;
    Start(ParameterBlock(IXpbBuilder::SPB_START, [&](ThrowStatusWrapper* status, IXpbBuilder* b) {
        b->insertTag(status, isc_action_svc_backup);
        b->insertString(status, isc_spb_dbname, database.c_str());
        b->insertString(status, isc_spb_bkp_file, backupFile.c_str());
        b->insertTag(status, isc_spb_verbose);
        b->insertInt(status, isc_spb_options, flags);
    }));
    ReadOutput(onLine);
}

void TService::Restore(const std::string& backupFile, const std::string& database, const TRestoreOptions& options,
                       const TLineHandler& onLine)
{
    int flags = isc_spb_res_create;
    if (options.Replace) flags |= isc_spb_res_replace;
    if (options.DeactivateIndexes) flags |= isc_spb_res_deactivate_idx;
    Start(ParameterBlock(IXpbBuilder::SPB_START, [&](ThrowStatusWrapper* status, IXpbBuilder* b) {
        b->insertTag(status, isc_action_svc_restore);
        b->insertString(status, isc_spb_bkp_file, backupFile.c_str());
        b->insertString(status, isc_spb_dbname, database.c_str());
        b->insertInt(status, isc_spb_res_buffers, options.PageBuffers);
        b->insertInt(status, isc_spb_res_page_size, options.PageSize);
        b->insertTag(status, isc_spb_verbose);
        b->insertInt(status, isc_spb_options, flags);
    }));
    ReadOutput(onLine);
}

std::vector<std::string> TService::AttachedDatabases()
{
    const unsigned char items[] = {isc_info_svc_svr_db_info};
    std::vector<unsigned char> buffer(kServiceBufferSize);
    Guarded([&](ThrowStatusWrapper* status) {
        raw_->query(status, 0, nullptr, sizeof items, items, static_cast<unsigned>(buffer.size()), buffer.data());
    });
    std::vector<std::string> databases;
    const unsigned char* p = buffer.data();
    const unsigned char* const end = buffer.data() + buffer.size();
    if (p >= end || *p++ != isc_info_svc_svr_db_info)
        return databases;
    while (p < end && *p != isc_info_flag_end && *p != isc_info_end) {
        const unsigned char item = *p++;
        if (item == isc_spb_num_att || item == isc_spb_num_db) {
            p += 4;
        } else if (item == isc_spb_dbname) {
            const unsigned length = ReadLength(p);
            databases.push_back(TextFromServer(std::string(reinterpret_cast<const char*>(p), length)));
            p += length;
        } else {
            break;
        }
    }
    return databases;
}

}  // namespace qz::fb
