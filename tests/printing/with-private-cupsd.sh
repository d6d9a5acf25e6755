#!/usr/bin/env bash
# Runs a command beside a print server of its own: a private cupsd on 127.0.0.1 (own
# configuration folder and port, reached through CUPS_SERVER) with three queues, and for
# the driverless one a private D-Bus system bus, avahi-daemon and ippeveprinter. The
# machine's own print server is never used. Everything started here is stopped on exit.
#
#   with-private-cupsd.sh COMMAND [ARGS...]
#
# Queues: VellumoFile (generic PDF driver on a file: device, the default), VellumoPdf (cups-pdf
# driver, writing its PDF files into $dir/cups-pdf) and VellumoIpp (driverless, "everywhere",
# jobs kept by ippeveprinter).
# Exported to the command: CUPS_SERVER, VELLUMO_CUPS_DIR (file output in $dir/out/file.prn,
# cups-pdf's files in $dir/cups-pdf, ippeveprinter's jobs in $dir/ipp).
set -euo pipefail
[ -n "${VELLUMO_CUPS_TRACE:-}" ] && set -x

# cupsd starts as root and runs its filters and backends as lp; elsewhere the test is
# skipped (exit code 77).
if [ "$(id -u)" -ne 0 ]; then
    echo "with-private-cupsd: needs root" >&2
    exit 77
fi
for tool in cupsd lpadmin lpstat ippeveprinter dbus-daemon avahi-daemon; do
    if ! command -v "$tool" >/dev/null && [ ! -x "/usr/sbin/$tool" ]; then
        echo "with-private-cupsd: $tool is missing (scripts/install-deps installs it)" >&2
        exit 1
    fi
done
export PATH="$PATH:/usr/sbin"

# lp must reach the folders the server hands to its backends, so the folder lives in /tmp
# itself, not in the test's private scratch folder.
dir=$(mktemp -d /tmp/vellumo-cupsd.XXXXXX)
chmod 755 "$dir"
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || continue 2; sleep 0.1; done
        kill -9 "$pid" 2>/dev/null || true
    done
    rm -rf "$dir"
    if [ -n "${pdf_conf:-}" ]; then rm -f "$pdf_conf"; fi
}
trap cleanup EXIT

free_port() {
    python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}
wait_for() {  # wait_for SECONDS COMMAND...
    local limit=$(($1 * 10)); shift
    for _ in $(seq "$limit"); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
    echo "with-private-cupsd: timed out waiting for: $*" >&2
    tail -n 20 "$dir"/log/* >&2 || true
    return 1
}

mkdir -p "$dir"/{etc/ppd,spool/tmp,cache,run,log,out,ipp,cups-pdf,cups-pdf-spool}
chown -R root:lp "$dir/spool" "$dir/cache" "$dir/run" "$dir/out" "$dir/ipp"
chmod 0775 "$dir/out" "$dir/ipp" "$dir/cache" "$dir/run"
chmod 0710 "$dir/spool"
chmod 1770 "$dir/spool/tmp"
cups_port=$(free_port)
cat >"$dir/etc/cups-files.conf" <<CONF
User lp
Group lp
SystemGroup root
FileDevice Yes
ServerRoot $dir/etc
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/run
ServerBin /usr/lib/cups
DataDir /usr/share/cups
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
Printcap $dir/run/printcap
CONF
cat >"$dir/etc/cupsd.conf" <<CONF
Listen 127.0.0.1:$cups_port
Listen $dir/run/cups.sock
LogLevel warn
Browsing No
BrowseLocalProtocols none
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  JobPrivateAccess all
  JobPrivateValues none
  SubscriptionPrivateAccess all
  SubscriptionPrivateValues none
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
export CUPS_SERVER="$dir/run/cups.sock"
unset CUPS_USER
cupsd -f -c "$dir/etc/cupsd.conf" -s "$dir/etc/cups-files.conf" &
pids+=($!)
scheduler_running() { lpstat -r 2>/dev/null | grep -q 'is running'; }
wait_for 20 scheduler_running

# The driverless printer announces itself over DNS-SD: a private system bus and avahi.
cat >"$dir/etc/dbus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=$dir/run/dbus.sock</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*" eavesdrop="true"/>
    <allow receive_sender="*"/>
  </policy>
</busconfig>
CONF
cat >"$dir/etc/avahi.conf" <<CONF
[server]
use-ipv4=yes
use-ipv6=no
allow-interfaces=lo
enable-dbus=yes
ratelimit-interval-usec=1000000
ratelimit-burst=1000
[wide-area]
enable-wide-area=no
[publish]
publish-hinfo=no
publish-workstation=no
CONF
dbus-daemon --config-file="$dir/etc/dbus.conf" --nofork --nopidfile &
pids+=($!)
wait_for 10 test -S "$dir/run/dbus.sock"
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$dir/run/dbus.sock"
avahi-daemon --no-drop-root --no-chroot --no-rlimits --no-proc-title -f "$dir/etc/avahi.conf" \
    >"$dir/log/avahi.log" 2>&1 &
pids+=($!)
ipp_port=$(free_port)
ippeveprinter -n localhost -p "$ipp_port" -k -d "$dir/ipp" -M Vellumo -m "Test Photo" -s 10,10 \
    -f application/pdf,image/pwg-raster "Vellumo Test" >"$dir/log/ippeveprinter.log" 2>&1 &
pids+=($!)
wait_for 20 ipptool -q "ipp://localhost:$ipp_port/ipp/print" get-printer-attributes.test

admin() {  # lpadmin warns that raw queues and drivers are deprecated; only failures show
    lpadmin "$@" 2>>"$dir/log/lpadmin.log" || { cat "$dir/log/lpadmin.log" >&2; return 1; }
}
admin -p VellumoFile -E -v "file://$dir/out/file.prn" -P /usr/share/ppd/cupsfilters/Generic-PDF_Printer-PDF.ppd
# cups-pdf reads its settings from a fixed folder; a queue named by its device URI gets a
# file of its own there, which points the output into this server's folder.
pdf_name="vellumo$(basename "$dir" | tr -dc 'A-Za-z0-9')"
pdf_conf="/etc/cups/cups-pdf-$pdf_name.conf"
cat >"$pdf_conf" <<CONF
Out $dir/cups-pdf
AnonDirName $dir/cups-pdf
Spool $dir/cups-pdf-spool
Log $dir/log
LogType 1
Label 1
CONF
admin -p VellumoPdf -E -v "cups-pdf:/$pdf_name" -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
admin -p VellumoIpp -E -v "ipp://localhost:$ipp_port/ipp/print" -m everywhere
admin -d VellumoFile
# The bus stays for the command only through the server; the command itself sees no
# DNS-SD, so the print server's queues are all it finds.
unset DBUS_SYSTEM_BUS_ADDRESS
export VELLUMO_CUPS_DIR="$dir"
"$@"
