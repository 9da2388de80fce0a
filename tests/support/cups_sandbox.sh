#!/usr/bin/env bash
# A private CUPS scheduler with PDF printers, for tests: it listens on a socket in its own folder, so a system
# scheduler is never touched.
#   cups_sandbox.sh start DIR PRINTER...   prints the environment to use (eval it)
#   cups_sandbox.sh stop DIR
# PDFs of printer P land in DIR/out/P. Needs root (the scheduler and the PDF backend run as root).
set -euo pipefail

cmd=$1
dir=$2
shift 2

stop() {
    if [ -f "$dir/cupsd.pid" ]; then
        kill "$(cat "$dir/cupsd.pid")" 2>/dev/null || true
        for _ in $(seq 50); do kill -0 "$(cat "$dir/cupsd.pid")" 2>/dev/null || break; sleep 0.1; done
        rm -f "$dir/cupsd.pid"
    fi
    # The PDF backend reads its per-printer settings from the system folder only; remove what start put there.
    if [ -f "$dir/pdf-confs" ]; then
        while read -r f; do rm -f "$f"; done < "$dir/pdf-confs"
        rm -f "$dir/pdf-confs"
    fi
}

case $cmd in
stop)
    stop
    exit 0
    ;;
start) ;;
*)
    echo "usage: $0 start|stop DIR [PRINTER...]" >&2
    exit 2
    ;;
esac

if [ "$(id -u)" -ne 0 ]; then
    echo "cups_sandbox: needs root" >&2
    exit 77
fi
for tool in cupsd lpadmin; do
    command -v $tool >/dev/null || { echo "cups_sandbox: $tool is missing" >&2; exit 77; }
done
[ -x /usr/lib/cups/backend/cups-pdf ] || { echo "cups_sandbox: the cups-pdf backend is missing" >&2; exit 77; }

mkdir -p "$dir"/{conf/ppd,conf/ssl,spool/tmp,cache,run,log,out,pdfspool,client,home}
chmod 755 "$dir" "$dir"/*
chmod 1777 "$dir/spool/tmp" "$dir/pdfspool"
cat > "$dir/conf/cupsd.conf" <<CONF
Listen $dir/run/cups.sock
LogLevel warn
WebInterface No
Browsing No
DefaultAuthType None
MaxJobs 0
PreserveJobFiles No
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
cat > "$dir/conf/cups-files.conf" <<CONF
ServerRoot $dir/conf
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/run
ErrorLog $dir/log/error_log
AccessLog $dir/log/access_log
PageLog $dir/log/page_log
SystemGroup root
User lp
Group lp
CONF

trap 'stop' ERR
setsid cupsd -f -c "$dir/conf/cupsd.conf" -s "$dir/conf/cups-files.conf" </dev/null >"$dir/log/cupsd.out" 2>&1 &
echo $! > "$dir/cupsd.pid"
export CUPS_SERVER=$dir/run/cups.sock CUPS_SERVERROOT=$dir/client
for _ in $(seq 100); do
    [ -S "$CUPS_SERVER" ] && lpstat -r >/dev/null 2>&1 && break
    sleep 0.1
done
lpstat -r >/dev/null 2>&1 || { echo "cups_sandbox: the scheduler did not start" >&2; cat "$dir/log/"* >&2; exit 1; }

: > "$dir/pdf-confs"
# Sandboxes may run side by side with the same printer names: each backend device gets a name of its own.
tag=$(printf '%s' "$dir" | md5sum | cut -c1-10)
for p in "$@"; do
    mkdir -p "$dir/out/$p"
    chmod 777 "$dir/out/$p"
    device=${tag}_$p
    conf=/etc/cups/cups-pdf-$device.conf
    echo "$conf" >> "$dir/pdf-confs"
    printf 'Out %s\nAnonDirName %s\nSpool %s\nLog %s\nUserPrefix\nGrp root\n' \
        "$dir/out/$p" "$dir/out/$p" "$dir/pdfspool" "$dir/log" > "$conf"
    # The cairo renderer keeps the text of a PDF extractable on its way through PostScript.
    lpadmin -p "$p" -E -v "cups-pdf:/$device" -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd \
        -o pdftops-renderer-default=pdftocairo 2>/dev/null
done

# HOME too: the user's default printer (lpoptions) is written below it.
echo "export CUPS_SERVER='$CUPS_SERVER' CUPS_SERVERROOT='$CUPS_SERVERROOT' HOME='$dir/home'"
