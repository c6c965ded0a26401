# Sourced by the scripts that fetch from Debian: the first Debian archive (not the security one)
# that this machine's apt is configured with.
debian_mirror() {
    {
        cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
            awk '$1 == "deb" { for (i = 2; i <= NF; i++) if ($i ~ /^[a-z+]+:\/\//) { print $i; break } }'
        cat /etc/apt/sources.list.d/*.sources 2>/dev/null |
            awk '$1 == "URIs:" { for (i = 2; i <= NF; i++) print $i }'
    } | grep -v security | head -1
}
