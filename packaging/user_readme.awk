# The README's user part: every section except the developers' ones (running from a
# checkout, building by hand, the source layout). Headings inside code blocks are text.
/^```/ { fenced = !fenced }
!fenced && /^## / { skip = ($0 ~ /^## (Quick start|Building by hand|Layout)/) }
!skip
