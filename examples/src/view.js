// Renders the cart into the page's list and total elements. Written without semicolons: the
// line breaks that end these statements stay in the output.
const renderCart = (cart, listElement, totalElement) => {
  while (listElement.firstChild) listElement.removeChild(listElement.firstChild)
  for (const { title, quantity, totalCents } of cart.lines) {
    const item = document.createElement('li')
    item.textContent = `${quantity} x ${title}: ${formatCents(totalCents)}`
    listElement.appendChild(item)
  }
  totalElement.textContent = `Total: ${formatCents(cart.totalCents)}`
}
