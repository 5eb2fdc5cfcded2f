# Sourced by wine-session.sh: a real printer for the print journey. A private
# cupsd (configuration, spool and socket in one folder of the build) with one PDF
# queue, the default, which Wine lists like any printer. Each finished job leaves
# its PDF in "$KV_PRINT_OUT" and, once complete, a rasterised copy beside it
# (NAME.pdf.ppm, written under another name first and renamed into place).
# kv_printer_start exports CUPS_SERVER and KV_PRINT_OUT; kv_printer_stop ends the
# cupsd it started (by its PID) and removes what it wrote outside the folder.

kv_cupsd_pid=""
kv_pdf_conf=""

kv_printer_start() {  # folder
  local dir=$1 queue
  command -v cupsd >/dev/null && command -v lpadmin >/dev/null && command -v pdftoppm >/dev/null || return 0
  [ -x /usr/lib/cups/backend/cups-pdf ] || return 0
  [ "$(id -u)" = 0 ] || { echo "test printer: cupsd needs root; the print journey is skipped" >&2; return 0; }
  rm -rf "$dir"
  mkdir -p "$dir"/{etc/ppd,spool,cache,state,tmp,log,pdf}
  # The PDF backend reads its settings from /etc/cups only, by queue name: one name per
  # build folder keeps two checkouts on one machine apart.
  queue="kelvara_pdf_$(printf %s "$dir" | cksum | cut -d' ' -f1)"
  kv_pdf_conf=/etc/cups/cups-pdf-$queue.conf
  cat >"$dir/etc/cupsd.conf" <<EOF
Listen $dir/cups.sock
LogLevel warn
Browsing Off
WebInterface No
<Location />
  Order allow,deny
  Allow all
</Location>
EOF
  cat >"$dir/etc/cups-files.conf" <<EOF
ServerRoot $dir/etc
RequestRoot $dir/spool
CacheDir $dir/cache
StateDir $dir/state
TempDir $dir/tmp
ErrorLog $dir/log/error_log
AccessLog $dir/log/access_log
PageLog $dir/log/page_log
Printcap $dir/etc/printcap
EOF
  cat >"$dir/raster.sh" <<'EOF'
#!/bin/sh
# After each PDF: its page as a PPM at 40 dpi, complete before it has its name.
pdftoppm -r 40 -singlefile "$1" "$1.part" && mv "$1.part.ppm" "$1.ppm"
EOF
  chmod 755 "$dir/raster.sh"
  printf 'Out %s\nAnonDirName %s\nSpool %s\nLog %s\nLabel 1\nPostProcessing %s\n' \
    "$dir/pdf" "$dir/pdf" "$dir/tmp" "$dir/log" "$dir/raster.sh" >"$kv_pdf_conf"
  cupsd -f -c "$dir/etc/cupsd.conf" -s "$dir/etc/cups-files.conf" >/dev/null 2>&1 &
  kv_cupsd_pid=$!
  for _ in $(seq 1 50); do
    [ -S "$dir/cups.sock" ] && break
    sleep 0.1
  done
  export CUPS_SERVER="$dir/cups.sock"
  if ! lpadmin -p "$queue" -v "cups-pdf:/$queue" -E -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd >/dev/null 2>&1 ||
     ! lpadmin -d "$queue" >/dev/null 2>&1; then
    echo "test printer: the PDF queue could not be added (see $dir/log)" >&2
    kv_printer_stop
    return 0
  fi
  export KV_PRINT_OUT="$dir/pdf"
}

kv_printer_stop() {
  if [ -n "$kv_cupsd_pid" ]; then
    kill "$kv_cupsd_pid" 2>/dev/null || true
    wait "$kv_cupsd_pid" 2>/dev/null || true
    kv_cupsd_pid=""
  fi
  [ -n "$kv_pdf_conf" ] && rm -f "$kv_pdf_conf"
  kv_pdf_conf=""
  unset CUPS_SERVER KV_PRINT_OUT
}
