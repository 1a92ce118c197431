// A second `format`, so that the bundler has to rename one of the two.
export function format(lines, total) {
  const width = Math.max(...lines.map((line) => line.length))
  return lines.concat('-'.repeat(width), `total ${total}`).join('\n')
}
