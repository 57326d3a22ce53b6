#!/usr/bin/env bash
# A release signed as a release engineer signs it, with a throw-away certificate authority:
# builds the installer with the signing option in a build folder of its own, checks the
# signatures of the installer and of every program packed into its payload against that
# authority (and that another authority refuses them), then runs the signed installer
# unattended under Wine in a prefix of its own to a complete installation, upgrades it silently
# (running the earlier uninstaller only when it is signed like the installer), and removes the
# last installation with its quiet uninstall string. The winget manifest beside it names the
# signed file's digest.
# Usage: signed_build.sh RUNNER SOURCE_DIR BUILD_DIR TOOLCHAIN_FILE LIBJPEG_ROOT HOST_BIN_DIR VERSION
# (RUNNER is not used: the signed build runs its programs in its own Wine prefix.)
# Exit status 77 (skipped) when osslsigncode is missing.
set -euo pipefail
if ! command -v osslsigncode >/dev/null; then
    echo "SKIPPED: osslsigncode is not installed (scripts/setup-debian.sh installs it): the signed build is not tested"
    exit 77
fi
source_dir=$2 build=$3 toolchain=$4 jpeg=$5 host_bin=$6 version=$7
keys=$build/keys payload=$build/payload log=$build/signed_build.log
fail() {
    echo "FAIL: $*" >&2
    [ -f "$log" ] && tail -n 40 "$log" >&2
    exit 1
}
mkdir -p "$build"
: >"$log"

# The authority, a code-signing certificate that it issued, and the PKCS#12 file of that
# certificate and its key under a password that only a file holds.
rm -rf "$keys" && mkdir -m 700 "$keys"
(
    cd "$keys"
    openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 -subj "/CN=Bb7 throw-away CA" \
        -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign"
    openssl req -newkey rsa:2048 -nodes -keyout signing.key -out signing.csr -subj "/CN=Brisel test signing/O=Brisel"
    printf '%s\n' basicConstraints=CA:FALSE keyUsage=critical,digitalSignature extendedKeyUsage=codeSigning >signing.ext
    openssl x509 -req -in signing.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 -extfile signing.ext \
        -out signing.pem
    head -c 24 /dev/urandom | base64 >password
    openssl pkcs12 -export -inkey signing.key -in signing.pem -certfile ca.pem -passout file:password -out signing.p12
    openssl req -x509 -newkey rsa:2048 -nodes -keyout other.key -out other.pem -days 2 -subj "/CN=Another CA"
) >>"$log" 2>&1 || fail "the certificates could not be made"

# Only the installer, its winget manifest and what they need are built.
started=$(date +%s)
cmake -S "$source_dir" -B "$build/win32" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DBB7_LIBJPEG_ROOT="$jpeg" -DBB7_HOST_BIN_DIR="$host_bin" \
    -DBB7_SIGN_PKCS12="$keys/signing.p12" -DBB7_SIGN_PASSWORD_FILE="$keys/password" >>"$log" 2>&1 ||
    fail "the signed build could not be configured"
cmake --build "$build/win32" --target bb7_winget_manifest -j"$(nproc)" >>"$log" 2>&1 || fail "the signed build failed"
echo "signed build: $(($(date +%s) - started)) s"

verify() { # verify FILE: an Authenticode SHA-256 signature of our certificate, by our authority only
    osslsigncode verify -CAfile "$keys/ca.pem" -TSA-CAfile "$keys/ca.pem" -in "$1" >"$build/verify.log" 2>&1 ||
        { cat "$build/verify.log" >>"$log"; fail "$(basename "$1"): the signature does not verify"; }
    grep -Eq 'digest algorithm *: *SHA256' "$build/verify.log" || fail "$(basename "$1"): no SHA-256 digest"
    grep -q 'Brisel test signing' "$build/verify.log" || fail "$(basename "$1"): another signer"
    if osslsigncode verify -CAfile "$keys/other.pem" -TSA-CAfile "$keys/other.pem" -in "$1" >/dev/null 2>&1; then
        fail "$(basename "$1"): another authority accepts the signature"
    fi
}
installer=$build/win32/bin/Bb7Setup.exe
verify "$installer"
digest=$(sha256sum "$installer" | cut -d' ' -f1 | tr a-f A-F)
grep -qx "  InstallerSha256: $digest" "$build/win32/bin/winget/Brisel.BriselBackup7.installer.yaml" ||
    fail "the winget manifest does not name the signed installer's SHA-256 $digest"
echo "winget manifest: InstallerSha256 $digest, the signed installer's"
rm -rf "$payload"
"$host_bin/bb7unzip" "$build/win32/resources/distro.zip" "$payload" >>"$log" 2>&1 || fail "the payload cannot be read"
programs=$(cd "$payload/Distro" && find . -type f \( -iname '*.exe' -o -iname '*.dll' \) | sort)
[ "$(echo "$programs" | wc -l)" -eq 6 ] || fail "the payload holds other programs than expected: $programs"
for program in $programs; do
    verify "$payload/Distro/$program"
done
echo "signatures: the installer and $(echo "$programs" | wc -l) packed programs verify"

# The signed installer, unattended, in a Wine prefix that nothing else has used.
export BB7_BUILD_DIR=$build
source "$source_dir/scripts/wine-env.sh"
cleanup() {
    wineserver -k 2>/dev/null || true
    bb7_stop_display
}
trap cleanup EXIT
wineserver -k 2>/dev/null || true
rm -rf "$WINEPREFIX" "$build/run"
bb7_ensure_display
bb7_ensure_prefix
mkdir -p "$build/run"
cp "$installer" "$build/run/"
printf 'STDDIR=C:\\Bb7 Signed\\\r\nINSTKIND=2\r\nCREATEICONS=FALSE\r\n' >"$build/run/Bb7Auto.txt"
status=0
timeout 180 wine "$build/run/Bb7Setup.exe" </dev/null >>"$log" 2>&1 || status=$?
[ "$status" -eq 0 ] || fail "the signed installer ended with exit code $status"
installed="$WINEPREFIX/drive_c/Bb7 Signed"
while IFS= read -r line; do
    file=${line//\\//}
    cmp -s "$payload/Distro/$file" "$installed/$file" || fail "$line is not installed as the payload holds it"
done < <(tr -d '\r' <"$payload/Distro/bb7setup.dat")

entry='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\BriBackup7'
value() {
    wine reg query "$entry" /v "$1" /reg:32 2>/dev/null | tr -d '\r' |
        sed -n "s/^[[:space:]]*$1[[:space:]]*REG_[A-Z]*[[:space:]]*//p"
}
[ "$(value DisplayVersion)" = "$version" ] || fail "DisplayVersion is \"$(value DisplayVersion)\", not $version"
quiet=$(value QuietUninstallString)
[ "$quiet" = '"C:\Bb7 Signed\bb7uninstall.exe" -nowarningclose' ] || fail "QuietUninstallString is \"$quiet\""
echo "installed: every file of the manifest, the uninstall entry of version $(value DisplayVersion)"

# An upgrade by the signed installer runs the earlier installation's uninstaller, signed by the
# same certificate; an earlier uninstaller that is not signed, or whose content no longer matches
# its signature, is not run (each stands beside a program and a list that it would remove), and
# the installation completes all the same.
silent_log="$WINEPREFIX/drive_c/bb7signed.log"
upgrade() { # upgrade RECORDED_FOLDER: a silent run into C:\Bb7 Signed 2 over the installation recorded there
    wine reg add 'HKLM\SOFTWARE\Brisel\Brisel Backup 7' /v Path /d "$1" /f /reg:32 >/dev/null 2>&1 ||
        fail "the earlier installation could not be recorded"
    printf 'STDDIR=C:\\Bb7 Signed 2\\\r\nINSTKIND=2\r\nCREATEICONS=FALSE\r\n' >"$build/run/Bb7Auto.txt"
    status=0
    timeout 180 wine "$build/run/Bb7Setup.exe" /silent '/log=C:\bb7signed.log' </dev/null >>"$log" 2>&1 || status=$?
    [ "$status" -eq 0 ] || { cat "$silent_log" >>"$log"; fail "the upgrade over $1 ended with exit code $status"; }
    wineserver -k 2>/dev/null || true # the application it started, which holds its program file
}
upgrade 'C:\Bb7 Signed\'
[ ! -e "$installed/BriBU.exe" ] || fail "the earlier uninstaller, signed like the installer, was not run"
grep -q 'was not run' "$silent_log" && fail "$(grep 'was not run' "$silent_log")"
rm -f "$build/unsigned.exe" # osslsigncode writes no file that exists
osslsigncode remove-signature -in "$payload/Distro/bb7uninstall.exe" -out "$build/unsigned.exe" >>"$log" 2>&1 ||
    fail "the signature could not be removed"
cp "$payload/Distro/bb7uninstall.exe" "$build/tampered.exe"
printf 'X' | dd of="$build/tampered.exe" bs=1 seek=4096 conv=notrunc status=none
for kind in unsigned tampered; do
    earlier="$WINEPREFIX/drive_c/Bb7 $kind"
    mkdir -p "$earlier"
    cp "$build/$kind.exe" "$earlier/bb7uninstall.exe"
    cp "$payload/Distro/BriBU.exe" "$earlier/"
    printf 'BriBU.exe\r\nbb7uninstall.exe\r\n' >"$earlier/bb7setup.dat"
    # The last upgrade's folder is nobody's recorded installation any more: a folder found there
    # that holds files is refused, so it goes first, as its files would be deleted by hand.
    rm -rf "$WINEPREFIX/drive_c/Bb7 Signed 2"
    upgrade "C:\\Bb7 $kind\\"
    grep -q "C:\\\\Bb7 $kind\\\\bb7uninstall.exe was not run (it is not signed by the publisher of this installer)" \
        "$silent_log" || { cat "$silent_log" >>"$log"; fail "the $kind uninstaller: no line says why it was not run"; }
    [ -e "$earlier/BriBU.exe" ] || fail "the $kind uninstaller was run"
done
echo "upgrades: the earlier uninstaller signed like the installer runs, an unsigned or altered one does not"

# Removal as a deployment tool does it: the quiet uninstall string's program and switch.
installed="$WINEPREFIX/drive_c/Bb7 Signed 2"
quiet=$(value QuietUninstallString)
[ "$quiet" = '"C:\Bb7 Signed 2\bb7uninstall.exe" -nowarningclose' ] || fail "QuietUninstallString is \"$quiet\""
program=${quiet#\"} && program=${program%%\"*}
timeout 120 wine "$program" ${quiet##*\" } </dev/null >>"$log" 2>&1 || fail "the quiet uninstall failed"
wine reg query "$entry" /reg:32 >/dev/null 2>&1 && fail "the uninstall entry is still there"
[ ! -e "$installed/BriBU.exe" ] || fail "the installed programs are still there"
echo "removed by QuietUninstallString"
