<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!--
  Stowline's English catalog. Every message lives in the context "Stowline"; its source text
  is the dotted key the code looks up, and a key missing here is shown as the key itself.

  Placeholders:
    %1, %2, …  the arguments, in the order the caller passes them (already formatted text,
               or numbers formatted with this language's separators); each may appear
               anywhere, and an argument's own text is never scanned again.
    %Ln (%n)   in numerus (plural) entries: the count, with this language's digit grouping.
               The entry's forms are chosen by the count under this language's plural rules.
  Any other "%" is literal. Keys ending in "_count" are numerus entries.
  Compiled by lrelease into Stowline_StowlineApp.bundle/en.lproj/Stowline.qm.
-->
<TS version="2.1" language="en_US" sourcelanguage="en">
<context>
    <name>Stowline</name>
    <message>
        <source>appstate.collision_error</source>
        <translation>A transfer of a source with the same name to the same destination is already running. Wait for it to finish, or cancel it first.</translation>
    </message>
    <message>
        <source>appstate.dest_inside_source_error</source>
        <translation>A destination lies inside a source, or a source would be copied onto itself. Choose a destination outside the sources.</translation>
    </message>
    <message>
        <source>appstate.drive_check_running_error</source>
        <translation>A destination is being checked against its hash lists. Wait for the check to finish, or cancel it first.</translation>
    </message>
    <message>
        <source>appstate.drive_not_answering_error</source>
        <translation>A source or destination drive does not answer. Check that it is connected and awake, or remove it, then start again.</translation>
    </message>
    <message>
        <source>appstate.idle</source>
        <translation>Idle</translation>
    </message>
    <message>
        <source>appstate.pending_summary</source>
        <translation>%1 · %2 to copy</translation>
    </message>
    <message>
        <source>appstate.picker.add</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>appstate.picker.destinations.message</source>
        <translation>Choose the destination folders</translation>
    </message>
    <message>
        <source>appstate.picker.sources.message</source>
        <translation>Choose the cards, folders or files to copy</translation>
    </message>
    <message>
        <source>appstate.space.header</source>
        <translation>This transfer needs %1. These destinations don't have enough free space:</translation>
    </message>
    <message>
        <source>appstate.space.line</source>
        <translation>• %1: %2 free</translation>
    </message>
    <message>
        <source>appstate.space.note</source>
        <translation>If you start anyway, the transfer pauses when a destination fills up and asks what to do.</translation>
    </message>
    <message>
        <source>appstate.volume_changed_error</source>
        <translation>“%1” is no longer on the drive it was added from: that drive was removed or unmounted. Nothing was copied. Add it again once the drive is back.</translation>
    </message>
    <message>
        <source>centercolumn.diskfull.cancel</source>
        <translation>Give Up This Destination</translation>
    </message>
    <message>
        <source>centercolumn.diskfull.message</source>
        <translation>The next file needs %1, but only %2 is free. Free up space on the drive and resume, or give up this destination and carry on with the others.</translation>
    </message>
    <message>
        <source>centercolumn.diskfull.resume</source>
        <translation>Resume</translation>
    </message>
    <message>
        <source>centercolumn.diskfull.title</source>
        <translation>“%1” is full</translation>
    </message>
    <message>
        <source>centercolumn.integrity.algo</source>
        <translation>algorithm: %1</translation>
    </message>
    <message>
        <source>centercolumn.integrity.body</source>
        <translation>Every copy is read back from the destination drive and must match the source's checksum.</translation>
    </message>
    <message>
        <source>centercolumn.integrity.label</source>
        <translation>INTEGRITY</translation>
    </message>
    <message>
        <source>centercolumn.spacewarning.confirm</source>
        <translation>Start Anyway</translation>
    </message>
    <message>
        <source>centercolumn.spacewarning.title</source>
        <translation>Not enough space</translation>
    </message>
    <message>
        <source>centercolumn.start</source>
        <translation>Start Transfer</translation>
    </message>
    <message>
        <source>centercolumn.starterror.title</source>
        <translation>Can't start the transfer</translation>
    </message>
    <message>
        <source>cli.incomplete.cancelled</source>
        <translation>the job was cancelled, after %1 of %2 files</translation>
    </message>
    <message>
        <source>cli.incomplete.disconnected</source>
        <translation>disconnected, after %1 of %2 files</translation>
    </message>
    <message>
        <source>cli.incomplete.dropped</source>
        <translation>dropped after running out of space, after %1 of %2 files</translation>
    </message>
    <message>
        <source>cli.incomplete.out_of_space</source>
        <translation>ran out of space while being written, after %1 of %2 files</translation>
    </message>
    <message>
        <source>cli.incomplete.unreachable</source>
        <translation>dropped: its free space could not be read, after %1 of %2 files</translation>
    </message>
    <message>
        <source>cli.incomplete.write_failed</source>
        <translation>dropped: writing to it failed, after %1 of %2 files</translation>
    </message>
    <message>
        <source>cli.offload.ascmhl.left_out</source>
        <translation>not in the ASC MHL history of %1 (XML cannot hold its name): %2</translation>
    </message>
    <message>
        <source>cli.offload.ascmhl.not_written</source>
        <translation>no new ASC MHL generation in %1</translation>
    </message>
    <message>
        <source>cli.offload.ascmhl.note</source>
        <translation>ASC MHL history of %1: %2</translation>
    </message>
    <message>
        <source>cli.offload.busy.refused</source>
        <translation>another job is writing to %1; not starting (--no-wait)</translation>
    </message>
    <message>
        <source>cli.offload.busy.waiting</source>
        <translation>another job is writing to %1; waiting</translation>
    </message>
    <message>
        <source>cli.offload.bytes</source>
        <translation>%1 of %2 in %3, average %4</translation>
    </message>
    <message>
        <source>cli.offload.dest_inside_source</source>
        <translation>destination %1 lies inside the source %2</translation>
    </message>
    <message>
        <source>cli.offload.dest_not_folder</source>
        <translation>destination %1 is not an existing folder</translation>
    </message>
    <message>
        <source>cli.offload.dest_twice</source>
        <translation>destination %1 is given twice</translation>
    </message>
    <message>
        <source>cli.offload.dest_unresolved</source>
        <translation>destination %1 cannot be resolved: %2</translation>
    </message>
    <message>
        <source>cli.offload.destination_left</source>
        <translation>destination %1 left the job: %2</translation>
    </message>
    <message>
        <source>cli.offload.disk_full</source>
        <translation>destination %1 is full: the next file needs %2, %3 free</translation>
    </message>
    <message>
        <source>cli.offload.disk_full.answer</source>
        <translation>Please answer r (resume) or d (drop):</translation>
    </message>
    <message>
        <source>cli.offload.disk_full.ask</source>
        <translation>Resume after freeing space, or drop this destination? [r/d]</translation>
    </message>
    <message>
        <source>cli.offload.disk_full.dropping</source>
        <translation>%1; dropping it</translation>
    </message>
    <message>
        <source>cli.offload.disk_full.no_terminal</source>
        <translation>%1; standard input is not a terminal to ask on: dropping it</translation>
    </message>
    <message>
        <source>cli.offload.disk_full.too_large</source>
        <translation>%1; the file is larger than the whole drive (%2), so waiting cannot help: dropping it</translation>
    </message>
    <message>
        <source>cli.offload.disk_full.waiting</source>
        <translation>%1; waiting for space (Ctrl-C cancels)</translation>
    </message>
    <message>
        <source>cli.offload.failed_at</source>
        <translation>%1 at %2: %3</translation>
    </message>
    <message>
        <source>cli.offload.failed_header</source>
        <translation>Failed:</translation>
    </message>
    <message>
        <source>cli.offload.file_failed</source>
        <translation>failed %1: %2</translation>
    </message>
    <message>
        <source>cli.offload.hash_log_failed</source>
        <translation>could not write the Hash Log to %1</translation>
    </message>
    <message>
        <source>cli.offload.incomplete_at</source>
        <translation>Incomplete at %1: %2</translation>
    </message>
    <message>
        <source>cli.offload.no_summary</source>
        <translation>the engine ended without a summary</translation>
    </message>
    <message>
        <source>cli.offload.reason.disconnected</source>
        <translation>it was disconnected</translation>
    </message>
    <message>
        <source>cli.offload.reason.dropped</source>
        <translation>it was dropped after running out of space</translation>
    </message>
    <message>
        <source>cli.offload.reason.out_of_space</source>
        <translation>it ran out of space while being written</translation>
    </message>
    <message>
        <source>cli.offload.reason.unreachable</source>
        <translation>its free space could not be read</translation>
    </message>
    <message>
        <source>cli.offload.reason.write_failed</source>
        <translation>writing to it failed</translation>
    </message>
    <message>
        <source>cli.offload.scan_failed</source>
        <translation>cannot read the sources: %1</translation>
    </message>
    <message>
        <source>cli.offload.source_in_dest</source>
        <translation>source %1 lies directly in the destination %2 and would be copied onto itself</translation>
    </message>
    <message>
        <source>cli.offload.summary</source>
        <translation>Verified %1, skipped %2, failed %3 of %4 files</translation>
    </message>
    <message>
        <source>cli.offload.summary.cancelled</source>
        <translation>; cancelled after %1</translation>
    </message>
    <message>
        <source>cli.offload.summary.folders</source>
        <translation>; %1 not made</translation>
    </message>
    <message>
        <source>cli.offload.summary.incomplete</source>
        <translation>; incomplete at %1</translation>
    </message>
    <message>
        <source>cli.progress.left</source>
        <translation>%1 left</translation>
    </message>
    <message>
        <source>cli.progress.of</source>
        <translation>%1 of %2</translation>
    </message>
    <message>
        <source>cli.scan.cannot_read_folder</source>
        <translation>cannot read folder contents: %1</translation>
    </message>
    <message>
        <source>cli.scan.cannot_read_properties</source>
        <translation>cannot read file properties: %1</translation>
    </message>
    <message>
        <source>cli.scan.no_such_file</source>
        <translation>no such file or folder: %1</translation>
    </message>
    <message>
        <source>cli.scan.unsupported_type</source>
        <translation>neither a folder nor a regular file (device, pipe or socket): %1</translation>
    </message>
    <message>
        <source>cli.verify.counts</source>
        <translation>%1 listed in %2: %3</translation>
    </message>
    <message>
        <source>cli.verify.incomplete</source>
        <translation>This job was incomplete on this drive (%1): %2.</translation>
    </message>
    <message>
        <source>cli.verify.intact</source>
        <translation>Every listed file is intact.</translation>
    </message>
    <message>
        <source>cli.verify.interrupted</source>
        <translation>verify interrupted after %1</translation>
    </message>
    <message>
        <source>cli.verify.not_intact</source>
        <translation>NOT INTACT: see the lines above.</translation>
    </message>
    <message>
        <source>cli.verify.status.ambiguous</source>
        <translation>ambiguous</translation>
    </message>
    <message>
        <source>cli.verify.status.changed</source>
        <translation>changed</translation>
    </message>
    <message>
        <source>cli.verify.status.missing</source>
        <translation>missing</translation>
    </message>
    <message>
        <source>cli.verify.status.not_checked</source>
        <translation>not checked</translation>
    </message>
    <message>
        <source>cli.verify.status.ok</source>
        <translation>ok</translation>
    </message>
    <message>
        <source>cli.verify.status.refused</source>
        <translation>refused</translation>
    </message>
    <message>
        <source>cli.verify.status.size_differs</source>
        <translation>size differs</translation>
    </message>
    <message>
        <source>cli.verify.status.unreadable</source>
        <translation>unreadable</translation>
    </message>
    <message>
        <source>cli.verify.uncovered</source>
        <translation>%1 not covered by any hash list:</translation>
    </message>
    <message>
        <source>common.cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>common.close</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>common.error</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>common.ok</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>common.reveal_in_finder</source>
        <translation>Show in File Manager</translation>
    </message>
    <message>
        <source>drivecheck.cancel</source>
        <translation>Cancel Check</translation>
    </message>
    <message>
        <source>drivecheck.cancelled</source>
        <translation>Check cancelled</translation>
    </message>
    <message>
        <source>drivecheck.detail.ambiguous</source>
        <translation>Several files on the drive have names this list writes the same way; it cannot tell which one it means</translation>
    </message>
    <message>
        <source>drivecheck.detail.hash</source>
        <translation>%1 listed %2, found %3</translation>
    </message>
    <message>
        <source>drivecheck.detail.leads_outside</source>
        <translation>A symbolic link leads out of the list's folder</translation>
    </message>
    <message>
        <source>drivecheck.detail.missing</source>
        <translation>Not found at %1</translation>
    </message>
    <message>
        <source>drivecheck.detail.no_computable_hash</source>
        <translation>The list gives only checksums this check cannot compute</translation>
    </message>
    <message>
        <source>drivecheck.detail.no_hash</source>
        <translation>The list gives no checksum for it</translation>
    </message>
    <message>
        <source>drivecheck.detail.not_regular</source>
        <translation>Not a regular file (a folder or a device)</translation>
    </message>
    <message>
        <source>drivecheck.detail.path_refused</source>
        <translation>The listed path leaves its folder (absolute, or climbs out with "..")</translation>
    </message>
    <message>
        <source>drivecheck.detail.read_failed</source>
        <translation>Reading it failed: %1</translation>
    </message>
    <message>
        <source>drivecheck.detail.size</source>
        <translation>Listed %1, found %2</translation>
    </message>
    <message>
        <source>drivecheck.nothing_listed</source>
        <translation>No file is listed</translation>
    </message>
    <message>
        <source>drivecheck.nothing_yet</source>
        <translation>Nothing to check yet</translation>
    </message>
    <message>
        <source>drivecheck.notify.body</source>
        <translation>%1 · %2</translation>
    </message>
    <message>
        <source>drivecheck.notify.title.intact</source>
        <translation>Drive check: intact</translation>
    </message>
    <message>
        <source>drivecheck.notify.title.not_intact</source>
        <translation>Drive check needs attention</translation>
    </message>
    <message>
        <source>drivecheck.problem.cannot_list</source>
        <translation>The folder cannot be listed: %1</translation>
    </message>
    <message>
        <source>drivecheck.problem.history_manifest_missing</source>
        <translation>The chain of this ASC MHL history lists a manifest that is not there</translation>
    </message>
    <message>
        <source>drivecheck.problem.history_no_chain</source>
        <translation>This ASC MHL history has no readable chain, so none of its manifests can be proven</translation>
    </message>
    <message>
        <source>drivecheck.problem.history_tampered</source>
        <translation>A manifest of this ASC MHL history does not match its chain entry: it was changed or replaced after it was written</translation>
    </message>
    <message>
        <source>drivecheck.problem.history_unreadable</source>
        <translation>A manifest of this ASC MHL history cannot be read, or is too large to check</translation>
    </message>
    <message>
        <source>drivecheck.problem.list_malformed</source>
        <translation>This hash list is damaged at line %1</translation>
    </message>
    <message>
        <source>drivecheck.problem.list_unreadable</source>
        <translation>This hash list cannot be read: %1</translation>
    </message>
    <message>
        <source>drivecheck.problem.list_unusable</source>
        <translation>This hash list cannot be used: it is not a regular file, or it is too large</translation>
    </message>
    <message>
        <source>drivecheck.problem.no_lists</source>
        <translation>Holds no hash list (.mhl)</translation>
    </message>
    <message>
        <source>drivecheck.problem.no_log_folder</source>
        <translation>No "Hash Log" folder</translation>
    </message>
    <message>
        <source>drivecheck.problem.not_a_folder</source>
        <translation>Not a folder</translation>
    </message>
    <message>
        <source>drivecheck.problem.nothing_listed</source>
        <translation>The hash lists name no files</translation>
    </message>
    <message>
        <source>drivecheck.progress</source>
        <translation>Checking %1 of %2</translation>
    </message>
    <message>
        <source>drivecheck.reading_lists</source>
        <translation>Reading hash lists…</translation>
    </message>
    <message>
        <source>drivecheck.report.all_intact</source>
        <translation>Every listed file is intact</translation>
    </message>
    <message>
        <source>drivecheck.report.title</source>
        <translation>Drive Check</translation>
    </message>
    <message>
        <source>drivecheck.status.ambiguous</source>
        <translation>Ambiguous</translation>
    </message>
    <message>
        <source>drivecheck.status.changed</source>
        <translation>Changed</translation>
    </message>
    <message>
        <source>drivecheck.status.incomplete</source>
        <translation>Incomplete job</translation>
    </message>
    <message>
        <source>drivecheck.status.missing</source>
        <translation>Missing</translation>
    </message>
    <message>
        <source>drivecheck.status.not_checked</source>
        <translation>Not checked</translation>
    </message>
    <message>
        <source>drivecheck.status.ok</source>
        <translation>Intact</translation>
    </message>
    <message>
        <source>drivecheck.status.problem</source>
        <translation>Problem</translation>
    </message>
    <message>
        <source>drivecheck.status.refused</source>
        <translation>Refused</translation>
    </message>
    <message>
        <source>drivecheck.status.size_differs</source>
        <translation>Size differs</translation>
    </message>
    <message>
        <source>drivecheck.status.unreadable</source>
        <translation>Unreadable</translation>
    </message>
    <message>
        <source>drivecheck.verify</source>
        <translation>Verify Again</translation>
    </message>
    <message>
        <source>errno.EACCES</source>
        <translation>permission denied</translation>
    </message>
    <message>
        <source>errno.EBUSY</source>
        <translation>the device or file is busy</translation>
    </message>
    <message>
        <source>errno.EDQUOT</source>
        <translation>the disk quota is exhausted</translation>
    </message>
    <message>
        <source>errno.EEXIST</source>
        <translation>the file already exists</translation>
    </message>
    <message>
        <source>errno.EFBIG</source>
        <translation>the file is too large for this file system</translation>
    </message>
    <message>
        <source>errno.EINVAL</source>
        <translation>the file system refused the operation</translation>
    </message>
    <message>
        <source>errno.EIO</source>
        <translation>input/output error (the drive or card may be failing)</translation>
    </message>
    <message>
        <source>errno.EISDIR</source>
        <translation>it is a folder</translation>
    </message>
    <message>
        <source>errno.ELOOP</source>
        <translation>too many symbolic links</translation>
    </message>
    <message>
        <source>errno.EMFILE</source>
        <translation>too many open files</translation>
    </message>
    <message>
        <source>errno.ENAMETOOLONG</source>
        <translation>the name is too long</translation>
    </message>
    <message>
        <source>errno.ENODEV</source>
        <translation>no such device</translation>
    </message>
    <message>
        <source>errno.ENOENT</source>
        <translation>no such file or folder</translation>
    </message>
    <message>
        <source>errno.ENOMEM</source>
        <translation>out of memory</translation>
    </message>
    <message>
        <source>errno.ENOSPC</source>
        <translation>no space left on the drive</translation>
    </message>
    <message>
        <source>errno.ENOTCONN</source>
        <translation>the drive is no longer connected</translation>
    </message>
    <message>
        <source>errno.ENOTDIR</source>
        <translation>a part of the path is not a folder</translation>
    </message>
    <message>
        <source>errno.ENXIO</source>
        <translation>the device is not there</translation>
    </message>
    <message>
        <source>errno.EPERM</source>
        <translation>operation not permitted</translation>
    </message>
    <message>
        <source>errno.EROFS</source>
        <translation>the drive is read-only</translation>
    </message>
    <message>
        <source>errno.ESTALE</source>
        <translation>the network share went away</translation>
    </message>
    <message>
        <source>errno.ETIMEDOUT</source>
        <translation>the drive did not answer in time</translation>
    </message>
    <message>
        <source>failure.cancelledOutOfSpace</source>
        <translation>cancelled for lack of space</translation>
    </message>
    <message>
        <source>failure.create_copy</source>
        <translation>cannot create %1: %2</translation>
    </message>
    <message>
        <source>failure.create_folder</source>
        <translation>cannot create the folder %1: %2</translation>
    </message>
    <message>
        <source>failure.destinationDisconnected</source>
        <translation>the destination was disconnected</translation>
    </message>
    <message>
        <source>failure.destinationOutOfSpace</source>
        <translation>the destination ran out of space</translation>
    </message>
    <message>
        <source>failure.destinationUnreachable</source>
        <translation>the destination could not be reached</translation>
    </message>
    <message>
        <source>failure.destinationWriteFailed</source>
        <translation>writing to the destination failed</translation>
    </message>
    <message>
        <source>failure.destination_gone</source>
        <translation>the destination %1 went away while the file was copied to it</translation>
    </message>
    <message>
        <source>failure.finish_copy</source>
        <translation>cannot finish writing %1: %2</translation>
    </message>
    <message>
        <source>failure.held_by_earlier_job</source>
        <translation>this name holds a different file, verified by an earlier job (%1); it was kept</translation>
    </message>
    <message>
        <source>failure.link_on_the_way</source>
        <translation>a symbolic link is in the way at %1; nothing was written through it</translation>
    </message>
    <message>
        <source>failure.name_copy</source>
        <translation>cannot give %1 its final name: %2</translation>
    </message>
    <message>
        <source>failure.name_taken</source>
        <translation>this name already holds %1, copied by this job under another name</translation>
    </message>
    <message>
        <source>failure.name_too_long</source>
        <translation>the name is too long for this drive: %1</translation>
    </message>
    <message>
        <source>failure.no_reason</source>
        <translation>the system gave no reason</translation>
    </message>
    <message>
        <source>failure.read_source</source>
        <translation>cannot read %1: %2</translation>
    </message>
    <message>
        <source>failure.source_changed</source>
        <translation>the source changed while it was being read: %1</translation>
    </message>
    <message>
        <source>failure.source_itself</source>
        <translation>%1 on this destination is the source file itself (a link or mount leads back to the card); nothing was written</translation>
    </message>
    <message>
        <source>failure.source_not_regular</source>
        <translation>%1 is no longer a regular file (a pipe, device or folder took its place after the scan); nothing was copied</translation>
    </message>
    <message>
        <source>failure.sync_drive</source>
        <translation>the drive at %1 did not confirm that it stored this job's files (%2); nothing there counts as verified</translation>
    </message>
    <message>
        <source>failure.write_copy</source>
        <translation>cannot write %1: %2</translation>
    </message>
    <message>
        <source>filebrowser.back</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>filebrowser.background_menu.new_folder</source>
        <translation>New Folder</translation>
    </message>
    <message>
        <source>filebrowser.background_menu.paste</source>
        <translation>Paste</translation>
    </message>
    <message>
        <source>filebrowser.error.create_folder</source>
        <translation>Couldn't create the folder: %1</translation>
    </message>
    <message>
        <source>filebrowser.error.eject</source>
        <translation>Couldn't eject “%1”: %2</translation>
    </message>
    <message>
        <source>filebrowser.error.eject_no_device</source>
        <translation>no removable drive holds this volume</translation>
    </message>
    <message>
        <source>filebrowser.error.eject_no_service</source>
        <translation>the disk service (UDisks2) is not available</translation>
    </message>
    <message>
        <source>filebrowser.error.invalid_name</source>
        <translation>“%1” can't be used as a name.</translation>
    </message>
    <message>
        <source>filebrowser.error.paste</source>
        <translation>Couldn't paste: %1</translation>
    </message>
    <message>
        <source>filebrowser.error.paste_into_itself</source>
        <translation>“%1” can't be pasted into itself or into one of its own folders</translation>
    </message>
    <message>
        <source>filebrowser.error.rename</source>
        <translation>Couldn't rename: %1</translation>
    </message>
    <message>
        <source>filebrowser.error.rename_exists</source>
        <translation>An item named “%1” already exists here.</translation>
    </message>
    <message>
        <source>filebrowser.error.trash</source>
        <translation>Couldn't move to the Trash: %1</translation>
    </message>
    <message>
        <source>filebrowser.error.trash_unavailable</source>
        <translation>Can't create a trash folder on %1, so “%2” stays where it is.</translation>
    </message>
    <message>
        <source>filebrowser.footer.selected</source>
        <translation> · “%1” selected</translation>
    </message>
    <message>
        <source>filebrowser.mode.columns</source>
        <translation>Columns</translation>
    </message>
    <message>
        <source>filebrowser.mode.icons</source>
        <translation>Icons</translation>
    </message>
    <message>
        <source>filebrowser.mode.list</source>
        <translation>List</translation>
    </message>
    <message>
        <source>filebrowser.paste.cancel</source>
        <translation>Stop pasting</translation>
    </message>
    <message>
        <source>filebrowser.paste.progress</source>
        <translation>Pasting %1 of %2</translation>
    </message>
    <message>
        <source>report.incomplete.cancelled</source>
        <translation>Incomplete: the job was cancelled after %1 of %2 files.</translation>
    </message>
    <message>
        <source>report.incomplete.disconnected</source>
        <translation>Incomplete: this drive was disconnected after %1 of %2 files.</translation>
    </message>
    <message>
        <source>report.incomplete.dropped</source>
        <translation>Incomplete: this drive was dropped when it ran out of space, after %1 of %2 files.</translation>
    </message>
    <message>
        <source>report.incomplete.failed</source>
        <translation>Incomplete: writing to this drive failed after %1 of %2 files.</translation>
    </message>
    <message>
        <source>report.incomplete.out_of_space</source>
        <translation>Incomplete: this drive ran out of space while being written, after %1 of %2 files.</translation>
    </message>
    <message>
        <source>reveal.failed.message</source>
        <translation>Stowline couldn't open a file manager to show “%1”. It is in %2.</translation>
    </message>
    <message>
        <source>reveal.failed.title</source>
        <translation>No file manager answered</translation>
    </message>
    <message>
        <source>slotpanel.dest.add</source>
        <translation>Add destinations…</translation>
    </message>
    <message>
        <source>slotpanel.remove</source>
        <translation>Remove from the list</translation>
    </message>
    <message>
        <source>slotpanel.source.add</source>
        <translation>Add sources…</translation>
    </message>
    <message>
        <source>transferjob.waiting_for_destination</source>
        <translation>Waiting: another job is writing to %1</translation>
    </message>
    <message>
        <source>transfers.tooltip.cancel</source>
        <translation>Cancel the transfer</translation>
    </message>
    <message>
        <source>transfers.tooltip.check</source>
        <translation>Check again against the Hash Log</translation>
    </message>
    <message>
        <source>transfers.tooltip.pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>transfers.tooltip.remove</source>
        <translation>Remove from the list</translation>
    </message>
    <message>
        <source>transfers.tooltip.report</source>
        <translation>Show the report</translation>
    </message>
    <message>
        <source>transfers.tooltip.resume</source>
        <translation>Resume</translation>
    </message>
    <message>
        <source>transfers.tooltip.reveal</source>
        <translation>Show in the file manager</translation>
    </message>
    <message>
        <source>transfers.tooltip.stop_check</source>
        <translation>Stop the check</translation>
    </message>
    <message>
        <source>bottomsplit.resize</source>
        <translation>Resize the transfers panel</translation>
    </message>
    <message>
        <source>filebrowser.footer.selected_count</source>
        <translation> · %1</translation>
    </message>
    <message>
        <source>filebrowser.footer.status</source>
        <translation>%1 in %2</translation>
    </message>
    <message>
        <source>filebrowser.menu.copy</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>filebrowser.menu.cut</source>
        <translation>Cut</translation>
    </message>
    <message>
        <source>filebrowser.menu.eject</source>
        <translation>Eject</translation>
    </message>
    <message>
        <source>filebrowser.menu.new_folder</source>
        <translation>New Folder Inside</translation>
    </message>
    <message>
        <source>filebrowser.menu.paste_here</source>
        <translation>Paste Here</translation>
    </message>
    <message>
        <source>filebrowser.menu.rename</source>
        <translation>Rename…</translation>
    </message>
    <message>
        <source>filebrowser.menu.trash</source>
        <translation>Move to Trash</translation>
    </message>
    <message>
        <source>filebrowser.new_folder_name</source>
        <translation>untitled folder</translation>
    </message>
    <message>
        <source>filebrowser.rename.message</source>
        <translation>Enter a new name for “%1”.</translation>
    </message>
    <message>
        <source>filebrowser.rename.placeholder</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>filebrowser.rename.title</source>
        <translation>Rename</translation>
    </message>
    <message>
        <source>filebrowser.root</source>
        <translation>Drives</translation>
    </message>
    <message>
        <source>filebrowser.set_dest</source>
        <translation>Use as Destination</translation>
    </message>
    <message>
        <source>filebrowser.set_source</source>
        <translation>Use as Source</translation>
    </message>
    <message>
        <source>notifier.summary</source>
        <translation>%1 · %2 · %3</translation>
    </message>
    <message>
        <source>notifier.title.error</source>
        <translation>Transfer needs attention</translation>
    </message>
    <message>
        <source>notifier.title.ok</source>
        <translation>Transfer complete</translation>
    </message>
    <message>
        <source>report.already_existed</source>
        <translation>(already on the destination, identical)</translation>
    </message>
    <message>
        <source>report.ascmhl.left_out</source>
        <translation>Not in the ASC MHL history (XML cannot hold these names; the MHL 1.1 hash list writes them with substitutes):</translation>
    </message>
    <message>
        <source>report.ascmhl.not_written</source>
        <translation>ASC MHL history: no new generation for %1</translation>
    </message>
    <message>
        <source>report.ascmhl.note</source>
        <translation>ASC MHL history: %1</translation>
    </message>
    <message>
        <source>report.ascmhl.written</source>
        <translation>ASC MHL history: %1</translation>
    </message>
    <message>
        <source>report.average_speed</source>
        <translation>Average speed</translation>
    </message>
    <message>
        <source>report.cancelled</source>
        <translation>Transfer cancelled before it finished.</translation>
    </message>
    <message>
        <source>report.date</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>report.destination</source>
        <translation>Destination</translation>
    </message>
    <message>
        <source>report.duration</source>
        <translation>Duration</translation>
    </message>
    <message>
        <source>report.error.copy_failed</source>
        <translation>copy failed: %1</translation>
    </message>
    <message>
        <source>report.error.hash_mismatch</source>
        <translation>checksum still differs after a second copy: %1</translation>
    </message>
    <message>
        <source>report.error.no_destination_available</source>
        <translation>no destination was left to copy to</translation>
    </message>
    <message>
        <source>report.error.no_destination_for_file</source>
        <translation>no destination could take this file</translation>
    </message>
    <message>
        <source>report.error.rejected_destinations</source>
        <translation>not copied to %1</translation>
    </message>
    <message>
        <source>report.error.unknown</source>
        <translation>unknown error</translation>
    </message>
    <message>
        <source>report.errors_header</source>
        <translation>ERRORS</translation>
    </message>
    <message>
        <source>report.pdf.column.file</source>
        <translation>File</translation>
    </message>
    <message>
        <source>report.pdf.column.modified</source>
        <translation>Modified</translation>
    </message>
    <message>
        <source>report.pdf.column.size</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>report.pdf.column.status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>report.pdf.destinations</source>
        <translation>Destinations</translation>
    </message>
    <message>
        <source>report.pdf.errors</source>
        <translation>Errors</translation>
    </message>
    <message>
        <source>report.pdf.errors_section</source>
        <translation>Files that failed</translation>
    </message>
    <message>
        <source>report.pdf.files</source>
        <translation>Files</translation>
    </message>
    <message>
        <source>report.pdf.files_section</source>
        <translation>Files at this destination</translation>
    </message>
    <message>
        <source>report.pdf.finished</source>
        <translation>Finished</translation>
    </message>
    <message>
        <source>report.pdf.heading</source>
        <translation>%1 · Transfer report</translation>
    </message>
    <message>
        <source>report.pdf.host</source>
        <translation>Computer</translation>
    </message>
    <message>
        <source>report.pdf.no_errors</source>
        <translation>No file failed.</translation>
    </message>
    <message>
        <source>report.pdf.no_files</source>
        <translation>No file reached this destination.</translation>
    </message>
    <message>
        <source>report.pdf.outcome.cancelled</source>
        <translation>Cancelled after %1 of %2 files</translation>
    </message>
    <message>
        <source>report.pdf.outcome.complete</source>
        <translation>Complete: %1</translation>
    </message>
    <message>
        <source>report.pdf.outcome.disconnected</source>
        <translation>Disconnected after %1 of %2 files</translation>
    </message>
    <message>
        <source>report.pdf.outcome.failed</source>
        <translation>Drive failed after %1 of %2 files</translation>
    </message>
    <message>
        <source>report.pdf.outcome.no_space</source>
        <translation>Dropped for lack of space after %1 of %2 files</translation>
    </message>
    <message>
        <source>report.pdf.outcome.with_errors</source>
        <translation>Finished: %1, %2</translation>
    </message>
    <message>
        <source>report.pdf.page</source>
        <translation>Page %1 of %2</translation>
    </message>
    <message>
        <source>report.pdf.size</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>report.pdf.sources</source>
        <translation>Sources</translation>
    </message>
    <message>
        <source>report.pdf.started</source>
        <translation>Started</translation>
    </message>
    <message>
        <source>report.pdf.status.failed</source>
        <translation>failed</translation>
    </message>
    <message>
        <source>report.pdf.status.skipped</source>
        <translation>already there</translation>
    </message>
    <message>
        <source>report.pdf.status.verified</source>
        <translation>verified</translation>
    </message>
    <message>
        <source>report.pdf.this_report</source>
        <translation>this report</translation>
    </message>
    <message>
        <source>report.source</source>
        <translation>Source</translation>
    </message>
    <message>
        <source>report.summary_line</source>
        <translation>%1 · %2 · %3 · %4 — %5</translation>
    </message>
    <message>
        <source>report.title</source>
        <translation>Stowline — Transfer Report</translation>
    </message>
    <message>
        <source>report.verdict_errors</source>
        <translation>errors found: %1</translation>
    </message>
    <message>
        <source>report.verdict_intact</source>
        <translation>every copy verified intact</translation>
    </message>
    <message>
        <source>reportmodal.reveal</source>
        <translation>Show Report</translation>
    </message>
    <message>
        <source>reportmodal.save_pdf</source>
        <translation>Save as PDF…</translation>
    </message>
    <message>
        <source>reportmodal.pdf_saving</source>
        <translation>Saving the PDF…</translation>
    </message>
    <message>
        <source>reportmodal.pdf_saved</source>
        <translation>PDF saved: %1</translation>
    </message>
    <message>
        <source>reportmodal.pdf_failed</source>
        <translation>The PDF could not be saved as %1</translation>
    </message>
    <message>
        <source>reportmodal.savedin</source>
        <translation>Saved in the Hash Log folder of each destination</translation>
    </message>
    <message>
        <source>reportmodal.savedin_some</source>
        <translation>Saved in the Hash Log folder of %1 only</translation>
    </message>
    <message>
        <source>reportmodal.stopped.cancelled</source>
        <translation>the transfer was cancelled</translation>
    </message>
    <message>
        <source>reportmodal.stopped.incomplete</source>
        <translation>not every file was copied</translation>
    </message>
    <message>
        <source>reportmodal.summary.destination</source>
        <translation>%1: %2 of %3 · %4</translation>
    </message>
    <message>
        <source>reportmodal.summary.destination_stopped</source>
        <translation>%1: %2 of %3 · %4 · %5</translation>
    </message>
    <message>
        <source>reportmodal.summary.errors</source>
        <translation>%1 · %2 · %3</translation>
    </message>
    <message>
        <source>reportmodal.summary.verified</source>
        <translation>%1 · %2 · all verified</translation>
    </message>
    <message>
        <source>reportmodal.title</source>
        <translation>Transfer Report</translation>
    </message>
    <message>
        <source>settings.appearance</source>
        <translation>APPEARANCE</translation>
    </message>
    <message>
        <source>settings.appearance.dark</source>
        <translation>Dark</translation>
    </message>
    <message>
        <source>settings.appearance.light</source>
        <translation>Light</translation>
    </message>
    <message>
        <source>settings.appearance.note</source>
        <translation>Stowline keeps this appearance whatever the desktop's theme.</translation>
    </message>
    <message>
        <source>settings.close</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>settings.hash</source>
        <translation>CHECKSUM</translation>
    </message>
    <message>
        <source>settings.hash.p1</source>
        <translation>A checksum is a short fingerprint computed from every byte of a file. Files with the same content have the same checksum; change a single bit and it changes completely.</translation>
    </message>
    <message>
        <source>settings.hash.p2</source>
        <translation>Stowline uses XXH64, a 64-bit hash fast enough to keep up with today's cards and drives, so verifying does not slow the offload down.</translation>
    </message>
    <message>
        <source>settings.hash.p3</source>
        <translation>The source's checksum is computed while the file is being copied, from the same bytes that are written, so the card is read only once.</translation>
    </message>
    <message>
        <source>settings.hash.p4</source>
        <translation>The checksum of each copy comes from a fresh read of the destination drive that bypasses the file cache (direct I/O, or dropping the cached pages first), so it proves what is stored on the disk, not what is still in memory.</translation>
    </message>
    <message>
        <source>settings.hash.p5</source>
        <translation>XXH64 catches accidental damage: bad cables, failing drives, interrupted writes. It is not designed to resist deliberate tampering.</translation>
    </message>
    <message>
        <source>settings.hash.p6</source>
        <translation>Every checksum is written to the Hash Log as 16 hexadecimal digits, so the files can be checked again later with any tool that computes XXH64.</translation>
    </message>
    <message>
        <source>settings.howitworks</source>
        <translation>HOW IT WORKS</translation>
    </message>
    <message>
        <source>settings.howitworks.p1</source>
        <translation>Stowline reads each source file once and writes it to every destination at the same time, so adding a destination does not add another read of the card.</translation>
    </message>
    <message>
        <source>settings.howitworks.p2</source>
        <translation>Each file is written under a temporary name ending in “.stowline-partial” and gets its real name only once it is complete, so an interrupted copy never looks finished.</translation>
    </message>
    <message>
        <source>settings.howitworks.p3</source>
        <translation>Then every copy is read back from the destination drive around the system's file cache, and its checksum must equal the one computed from the source. Only then is the copy marked verified.</translation>
    </message>
    <message>
        <source>settings.howitworks.p4</source>
        <translation>If a copy does not match, Stowline copies that file again once and checks it again; if it still differs, the file is reported as an error. A file already on a destination with the same size and checksum is left alone and counted as verified.</translation>
    </message>
    <message>
        <source>settings.howitworks.p5</source>
        <translation>When a destination fills up, the transfer pauses and asks whether to free space and resume or to give up that destination. A destination that fails or is disconnected is dropped, and the others carry on.</translation>
    </message>
    <message>
        <source>settings.language</source>
        <translation>LANGUAGE</translation>
    </message>
    <message>
        <source>settings.language.auto</source>
        <translation>Automatic</translation>
    </message>
    <message>
        <source>settings.preferences_unwritable</source>
        <translation>Your settings cannot be saved: the preferences file is not writable. Changes last until Stowline quits.</translation>
    </message>
    <message>
        <source>settings.reportformats</source>
        <translation>REPORT FILES</translation>
    </message>
    <message>
        <source>settings.reportformats.ascmhl_hashes</source>
        <translation>Also record, from the same read:</translation>
    </message>
    <message>
        <source>settings.reportformats.ascmhl_legend</source>
        <translation>ASC MHL history in every copied folder: a manifest for each copy and a chain that shows any later change</translation>
    </message>
    <message>
        <source>settings.reportformats.mhl_legend</source>
        <translation>MHL 1.1 hash list, read by other verification tools</translation>
    </message>
    <message>
        <source>settings.reportformats.none_warning</source>
        <translation>No report will be written. Copies are still verified, but the destinations will keep no record of it.</translation>
    </message>
    <message>
        <source>settings.reportformats.pdf_legend</source>
        <translation>printable report to file with the production: every file, its checksum and each destination's outcome</translation>
    </message>
    <message>
        <source>settings.reportformats.txt_legend</source>
        <translation>plain-text report to read or print</translation>
    </message>
    <message>
        <source>settings.reports</source>
        <translation>REPORTS</translation>
    </message>
    <message>
        <source>settings.reports.p1</source>
        <translation>After each transfer, every destination gets a “Hash Log” folder with an MHL 1.1 hash list (xxhash64be) giving each file's path, size, dates and checksum, and a plain-text report; with the PDF report turned on, also a PDF of the same facts, laid out to print.</translation>
    </message>
    <message>
        <source>settings.reports.p2</source>
        <translation>The text report names the sources and the destination, gives the start time, duration and average speed, lists every file with its checksum and every error with its reason, and ends with a verdict. Keep the Hash Log with the footage: it is the proof that each copy was intact.</translation>
    </message>
    <message>
        <source>settings.title</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>settings.updates</source>
        <translation>UPDATES</translation>
    </message>
    <message>
        <source>settings.updates.auto</source>
        <translation>Check for updates automatically</translation>
    </message>
    <message>
        <source>settings.updates.check</source>
        <translation>Check Now</translation>
    </message>
    <message>
        <source>settings.updates.current</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>settings.updates.soon</source>
        <translation>Update checks arrive in a later version.</translation>
    </message>
    <message>
        <source>slotpanel.copying</source>
        <translation>Copying…</translation>
    </message>
    <message>
        <source>slotpanel.dest.empty</source>
        <translation>Drop destination drives or folders</translation>
    </message>
    <message>
        <source>slotpanel.dest.label</source>
        <translation>DESTINATION</translation>
    </message>
    <message>
        <source>slotpanel.empty.hint</source>
        <translation>OR CLICK TO CHOOSE</translation>
    </message>
    <message>
        <source>slotpanel.free</source>
        <translation>FREE SPACE</translation>
    </message>
    <message>
        <source>slotpanel.free.unknown</source>
        <translation>Unknown</translation>
    </message>
    <message>
        <source>slotpanel.free.value</source>
        <translation>%1% of %2</translation>
    </message>
    <message>
        <source>slotpanel.scanning</source>
        <translation>Scanning…</translation>
    </message>
    <message>
        <source>slotpanel.source.empty</source>
        <translation>Drop cards, folders or files</translation>
    </message>
    <message>
        <source>slotpanel.source.label</source>
        <translation>SOURCE</translation>
    </message>
    <message>
        <source>slotpanel.stat.files</source>
        <translation>FILES</translation>
    </message>
    <message>
        <source>slotpanel.stat.size</source>
        <translation>SIZE</translation>
    </message>
    <message>
        <source>titlebar.settings</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>transferjob.dropped_no_space</source>
        <translation>dropped for lack of space</translation>
    </message>
    <message>
        <source>transferjob.report_write_failed</source>
        <translation>the Hash Log could not be written</translation>
    </message>
    <message>
        <source>transferjob.source_read_failed</source>
        <translation>Couldn't read the sources of “%1”.</translation>
    </message>
    <message>
        <source>transfers.cancelled</source>
        <translation>Cancelled</translation>
    </message>
    <message>
        <source>transfers.checking_existing</source>
        <translation>Checking existing copies…</translation>
    </message>
    <message>
        <source>transfers.clear</source>
        <translation>Clear Finished</translation>
    </message>
    <message>
        <source>transfers.done</source>
        <translation>Verified · %1</translation>
    </message>
    <message>
        <source>transfers.done_with_errors</source>
        <translation>Finished with errors</translation>
    </message>
    <message>
        <source>transfers.empty.hint</source>
        <translation>Add sources and destinations, then start a transfer.</translation>
    </message>
    <message>
        <source>transfers.empty.title</source>
        <translation>No transfers yet</translation>
    </message>
    <message>
        <source>transfers.failed</source>
        <translation>Failed: %1</translation>
    </message>
    <message>
        <source>transfers.header</source>
        <translation>TRANSFERS</translation>
    </message>
    <message>
        <source>transfers.paused</source>
        <translation>Paused</translation>
    </message>
    <message>
        <source>transfers.source_error</source>
        <translation>The sources could not be read</translation>
    </message>
    <message>
        <source>window.title</source>
        <translation>Stowline</translation>
    </message>
    <message numerus="yes">
        <source>bytes_count</source>
        <translation>
            <numerusform>%Ln byte</numerusform>
            <numerusform>%Ln bytes</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>check_problems_count</source>
        <translation>
            <numerusform>%Ln problem found</numerusform>
            <numerusform>%Ln problems found</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>destinations_count</source>
        <translation>
            <numerusform>%Ln destination</numerusform>
            <numerusform>%Ln destinations</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>errors_count</source>
        <translation>
            <numerusform>%Ln error</numerusform>
            <numerusform>%Ln errors</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>files_count</source>
        <translation>
            <numerusform>%Ln file</numerusform>
            <numerusform>%Ln files</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>folders_count</source>
        <translation>
            <numerusform>%Ln folder</numerusform>
            <numerusform>%Ln folders</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>hash_lists_count</source>
        <translation>
            <numerusform>Checked against %Ln hash list</numerusform>
            <numerusform>Checked against %Ln hash lists</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>intact_files_count</source>
        <translation>
            <numerusform>%Ln file intact</numerusform>
            <numerusform>%Ln files intact</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>items_count</source>
        <translation>
            <numerusform>%Ln item</numerusform>
            <numerusform>%Ln items</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>mhl_lists_count</source>
        <translation>
            <numerusform>%Ln hash list</numerusform>
            <numerusform>%Ln hash lists</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>not_intact_files_count</source>
        <translation>
            <numerusform>%Ln file not intact</numerusform>
            <numerusform>%Ln files not intact</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>selected_count</source>
        <translation>
            <numerusform>%Ln selected</numerusform>
            <numerusform>%Ln selected</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>uncovered_files_count</source>
        <translation>
            <numerusform>%Ln file on the drive is in no hash list</numerusform>
            <numerusform>%Ln files on the drive are in no hash list</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>verified_count</source>
        <translation>
            <numerusform>%Ln verified</numerusform>
            <numerusform>%Ln verified</numerusform>
        </translation>
    </message>
</context>
</TS>
